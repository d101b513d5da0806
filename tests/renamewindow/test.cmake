# The renamer in the real main window, over the replace windows' fixture
# (its test pane, its viewer driver), with the program's own pictures.
target_sources(${KVT_TEST} PRIVATE ${CMAKE_SOURCE_DIR}/windows/program/Kelvanto.rc
               ${CMAKE_SOURCE_DIR}/tests/replacewindows/Support.cpp
               ${CMAKE_SOURCE_DIR}/tests/automation/StandinTest.cpp)
target_include_directories(${KVT_TEST} PRIVATE ${CMAKE_SOURCE_DIR}/tests/replacewindows
                           ${CMAKE_SOURCE_DIR}/tests/automation)
set_tests_properties(${KVT_TEST} PROPERTIES RESOURCE_LOCK "desktop;program_key;plugin_titles")
