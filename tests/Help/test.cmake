add_dependencies(${KVT_TEST} kvt_help)
