# The program the shell starts in the tests, in place of a viewer, an editor
# and an extension's open command.
add_executable(kvt_shelllog WIN32 ${CMAKE_CURRENT_LIST_DIR}/logger/ShellLog.cpp)
set_target_properties(kvt_shelllog PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
add_dependencies(${KVT_TEST} kvt_shelllog)
target_link_libraries(${KVT_TEST} PRIVATE ole32)
# It registers an extension under HKEY_CLASSES_ROOT and drives menus and boxes.
set_tests_properties(${KVT_TEST} PROPERTIES RESOURCE_LOCK "com_registration;desktop")
