# The tests register extension keys under HKEY_CLASSES_ROOT.
set_tests_properties(${KVT_TEST} PROPERTIES RESOURCE_LOCK com_registration)
