target_sources(${KVT_TEST} PRIVATE ${CMAKE_SOURCE_DIR}/tests/textreplacer/Helpers.cpp
               ${CMAKE_SOURCE_DIR}/tests/fileops/OpsHarness.cpp ${CMAKE_SOURCE_DIR}/tests/fileops/Lists.cpp)
target_include_directories(${KVT_TEST} PRIVATE ${CMAKE_SOURCE_DIR}/tests/fileops)
# Needs about 5 GiB of free disk for the copy; reports itself skipped (exit
# code 77) when the disk is short. The huge-file tests take the disk in turn.
set_tests_properties(${KVT_TEST} PROPERTIES SKIP_RETURN_CODE 77 RESOURCE_LOCK big_disk)
