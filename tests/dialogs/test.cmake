# Its windows take the activation and focus that other window tests check.
set_tests_properties(${KVT_TEST} PROPERTIES RESOURCE_LOCK desktop)
