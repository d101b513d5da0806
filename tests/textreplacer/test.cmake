# A second process that holds a file open, for the file-in-use cases.
add_executable(textreplacer_holdfile ${CMAKE_CURRENT_LIST_DIR}/helper/HoldFile.cpp)
set_target_properties(textreplacer_holdfile PROPERTIES OUTPUT_NAME holdfile)
add_dependencies(${KVT_TEST} textreplacer_holdfile)
# The full-disk case mounts a small disk: the mount's device change reaches
# every program's windows, so it waits for the window tests, as the other
# tests that mount do.
set_tests_properties(${KVT_TEST} PROPERTIES RESOURCE_LOCK desktop)
