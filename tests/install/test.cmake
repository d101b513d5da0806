target_link_libraries(${KVT_TEST} PRIVATE kvt_setup)
add_dependencies(${KVT_TEST} kvtSETUP)
