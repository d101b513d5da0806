# The removal works on the real program key and uninstall entry; the program's
# own run answers its question box on the desktop.
target_link_libraries(${KVT_TEST} PRIVATE kvt_setup)
add_dependencies(${KVT_TEST} UninstKVT)
set_tests_properties(${KVT_TEST} PROPERTIES RESOURCE_LOCK "program_key;uninstall_key;desktop")
