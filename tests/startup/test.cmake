set_tests_properties(${KVT_TEST} PROPERTIES RESOURCE_LOCK "program_key;desktop")
