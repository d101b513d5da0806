# The main window's glyphs and the tools' come from the program's own resources.
target_sources(${KVT_TEST} PRIVATE ${CMAKE_SOURCE_DIR}/windows/program/Kelvanto.rc)
# Office documents go to the stand-in servers of the automation tests,
# registered the same way and under the same lock; the main window reads
# the program key and the plug-in titles.
target_sources(${KVT_TEST} PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../automation/StandinTest.cpp)
target_include_directories(${KVT_TEST} PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../automation)
add_dependencies(${KVT_TEST} kvt_standin)
set_tests_properties(${KVT_TEST} PROPERTIES RESOURCE_LOCK "desktop;com_registration;program_key;plugin_titles")
