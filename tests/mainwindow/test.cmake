# The main window's pictures come from the program's own resources.
target_sources(${KVT_TEST} PRIVATE ${CMAKE_SOURCE_DIR}/windows/program/Kelvanto.rc)
add_dependencies(${KVT_TEST} Attrelle)
set_tests_properties(${KVT_TEST} PROPERTIES RESOURCE_LOCK "desktop;program_key;plugin_titles;wine_drives")
# The end-to-end case starts the program itself.
add_dependencies(${KVT_TEST} Kelvanto)
