# Office documents go to the stand-in servers of the automation tests.
target_sources(${KVT_TEST} PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../automation/StandinTest.cpp)
target_include_directories(${KVT_TEST} PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../automation)
add_dependencies(${KVT_TEST} kvt_standin)
set_tests_properties(${KVT_TEST} PROPERTIES RESOURCE_LOCK com_registration)
