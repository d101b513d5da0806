# The tests register extension keys under HKEY_CLASSES_ROOT and show the
# window the reader repaints.
set_tests_properties(${KVT_TEST} PROPERTIES RESOURCE_LOCK "com_registration;desktop")
