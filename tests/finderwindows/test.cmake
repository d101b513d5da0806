# The results window over real searches, and the finder in the real main
# window, whose pictures come from the program's own resources.
target_sources(${KVT_TEST} PRIVATE ${CMAKE_SOURCE_DIR}/windows/program/Kelvanto.rc
               ${CMAKE_SOURCE_DIR}/tests/finder/FinderTestSupport.cpp
               ${CMAKE_SOURCE_DIR}/tests/mainwindow/MainWindowSupport.cpp
               ${CMAKE_SOURCE_DIR}/tests/pane/PaneFixture.cpp)
target_include_directories(${KVT_TEST} PRIVATE ${CMAKE_SOURCE_DIR}/tests/finderwindows)
add_dependencies(${KVT_TEST} Attrelle)
set_tests_properties(${KVT_TEST} PROPERTIES RESOURCE_LOCK "desktop;program_key;plugin_titles")
