# The test plug-in beside the test program, in three builds: the full one,
# one without StartPlugin, and one importing a library that its folder lacks.
# A small second program owns a window of another process.
set(kvt_plugin_src ${CMAKE_CURRENT_LIST_DIR}/plugin/TestPlugin.cpp)
add_library(test_plugin SHARED ${kvt_plugin_src})
add_library(test_plugin_nostart SHARED ${kvt_plugin_src})
target_compile_definitions(test_plugin_nostart PRIVATE KVT_NO_START KVT_TITLE="No start")
add_library(kvt_missing_dep SHARED ${CMAKE_CURRENT_LIST_DIR}/plugin/MissingDep.cpp)
set_target_properties(kvt_missing_dep PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/deps)
add_library(test_plugin_missingdep SHARED ${kvt_plugin_src})
target_compile_definitions(test_plugin_missingdep PRIVATE KVT_MISSING_DEP KVT_TITLE="Missing library")
target_link_libraries(test_plugin_missingdep PRIVATE kvt_missing_dep)
foreach(plugin test_plugin test_plugin_nostart test_plugin_missingdep)
  target_include_directories(${plugin} PRIVATE ${CMAKE_SOURCE_DIR})
  set_target_properties(${plugin} PROPERTIES PREFIX "" SUFFIX ".plgn"
                        RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
endforeach()
add_executable(test_pluginhost_receiver ${CMAKE_CURRENT_LIST_DIR}/receiver/Receiver.cpp)
target_include_directories(test_pluginhost_receiver PRIVATE ${CMAKE_SOURCE_DIR})
set_target_properties(test_pluginhost_receiver PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
# Over the real main window, made by the main window's test fixture.
target_sources(${KVT_TEST} PRIVATE ${CMAKE_SOURCE_DIR}/tests/mainwindow/MainWindowSupport.cpp
                                   ${CMAKE_SOURCE_DIR}/windows/program/Kelvanto.rc)
target_include_directories(${KVT_TEST} PRIVATE ${CMAKE_SOURCE_DIR}/tests/mainwindow)
add_dependencies(${KVT_TEST} Attrelle test_plugin test_plugin_nostart test_plugin_missingdep
                 test_pluginhost_receiver)
# The i686 sample plug-in, when that build is beside this one.
target_compile_definitions(${KVT_TEST} PRIVATE
                           KVT_I686_SAMPLE="${CMAKE_BINARY_DIR}/../i686/program/Attrelle.plgn")
set_tests_properties(${KVT_TEST} PROPERTIES RESOURCE_LOCK "desktop;plugin_titles")
