# Needs about 6 GiB of free disk for the output; reports itself skipped
# (exit code 77) when the disk is short.
target_sources(${KVT_TEST} PRIVATE ${CMAKE_SOURCE_DIR}/tests/textreplacer/Helpers.cpp)
# The two huge-file tests take the disk in turn: each checks only its own need.
set_tests_properties(${KVT_TEST} PROPERTIES SKIP_RETURN_CODE 77 RESOURCE_LOCK big_disk)
