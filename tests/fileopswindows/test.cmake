target_sources(${KVT_TEST} PRIVATE ${CMAKE_SOURCE_DIR}/tests/fileops/OpsHarness.cpp
               ${CMAKE_SOURCE_DIR}/tests/fileops/Lists.cpp)
target_include_directories(${KVT_TEST} PRIVATE ${CMAKE_SOURCE_DIR}/tests/fileops)
# The file commands run over the real main window, made by the main window's
# test fixture, with its pictures from the program's own resources.
target_sources(${KVT_TEST} PRIVATE ${CMAKE_SOURCE_DIR}/tests/mainwindow/MainWindowSupport.cpp
                                   ${CMAKE_SOURCE_DIR}/windows/program/Kelvanto.rc)
target_include_directories(${KVT_TEST} PRIVATE ${CMAKE_SOURCE_DIR}/tests/mainwindow)
add_dependencies(${KVT_TEST} Attrelle)
# Its windows take the activation and focus that other window tests check;
# the main window writes the program's key and the plug-in titles; a Shift
# delete fills the build's trash.
set_tests_properties(${KVT_TEST} PROPERTIES RESOURCE_LOCK "desktop;program_key;plugin_titles;trash")
