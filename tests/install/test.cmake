# The end-to-end run installs into the real "C:\Program Files\KVT", writes the
# real program key and uninstall entry and the shared desktop's and start
# menu's links, and answers the programs' windows on the desktop.
target_link_libraries(${KVT_TEST} PRIVATE kvt_setup)
add_dependencies(${KVT_TEST} kvtSETUP)
set_tests_properties(${KVT_TEST} PROPERTIES RESOURCE_LOCK "program_key;uninstall_key;desktop;program_files_kvt")
