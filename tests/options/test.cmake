# Driven over the real main window, made by the main window's test fixture.
target_sources(${KVT_TEST} PRIVATE ${CMAKE_SOURCE_DIR}/tests/mainwindow/MainWindowSupport.cpp
                                   ${CMAKE_SOURCE_DIR}/windows/program/Kelvanto.rc)
target_include_directories(${KVT_TEST} PRIVATE ${CMAKE_SOURCE_DIR}/tests/mainwindow)
add_dependencies(${KVT_TEST} Attrelle)
set_tests_properties(${KVT_TEST} PROPERTIES RESOURCE_LOCK "desktop;program_key;plugin_titles")
