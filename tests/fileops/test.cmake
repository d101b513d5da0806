# Adds and removes drive letters of the shared prefix.
set_tests_properties(${KVT_TEST} PROPERTIES RESOURCE_LOCK wine_drives)
