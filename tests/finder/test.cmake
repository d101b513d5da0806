# The stress run's 100,000 files are made natively, once per build: creating
# one file under Wine costs about 2 ms.
set(finder_tree ${CMAKE_BINARY_DIR}/finder_tree)
add_test(NAME finder_tree COMMAND ${CMAKE_CURRENT_LIST_DIR}/make-tree ${finder_tree})
set_tests_properties(finder_tree PROPERTIES FIXTURES_SETUP finder_tree)
set_tests_properties(${KVT_TEST} PROPERTIES FIXTURES_REQUIRED "wine;finder_tree"
                     ENVIRONMENT "KVT_FINDER_TREE=${finder_tree}")
# The pane lists of the selection passes.
target_sources(${KVT_TEST} PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../fileops/Lists.cpp)
