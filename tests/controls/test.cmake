target_link_libraries(${KVT_TEST} PRIVATE kvt_controls)
# Its windows take the activation and focus that other window tests check.
set_tests_properties(${KVT_TEST} PROPERTIES RESOURCE_LOCK desktop)
# The glyphs are read from the program's own resources.
add_dependencies(${KVT_TEST} Kelvanto)
