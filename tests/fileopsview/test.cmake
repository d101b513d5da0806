target_sources(${KVT_TEST} PRIVATE ${CMAKE_SOURCE_DIR}/tests/fileops/OpsHarness.cpp
               ${CMAKE_SOURCE_DIR}/tests/fileops/Lists.cpp)
target_include_directories(${KVT_TEST} PRIVATE ${CMAKE_SOURCE_DIR}/tests/fileops)
# Its windows take the activation and focus that other window tests check.
set_tests_properties(${KVT_TEST} PROPERTIES RESOURCE_LOCK desktop)
