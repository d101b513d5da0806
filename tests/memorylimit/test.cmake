# The tests take the free address space away; the limit keeps that bounded.
set_target_properties(${KVT_TEST} PROPERTIES CROSSCOMPILING_EMULATOR
                      "sh;${CMAKE_CURRENT_SOURCE_DIR}/memorylimit/limited-run;${KVT_WINERUN}")
set_tests_properties(${KVT_TEST} PROPERTIES RESOURCE_LOCK program_key)
