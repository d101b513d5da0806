# Its windows take the activation and focus that other window tests check;
# one test adds and removes a drive letter of the shared prefix.
set_tests_properties(${KVT_TEST} PROPERTIES RESOURCE_LOCK "desktop;wine_drives")
