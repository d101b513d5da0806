target_link_libraries(${KVT_TEST} PRIVATE kvt_controls)
