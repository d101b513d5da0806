# Two libraries beside the test that are no plug-ins: one without the title
# export, one whose title export gives nothing. The sample plug-in is found
# in the program's own folder of the build.
add_library(test_plugin_notitle SHARED ${CMAKE_CURRENT_LIST_DIR}/libs/TestPlugins.cpp)
add_library(test_plugin_niltitle SHARED ${CMAKE_CURRENT_LIST_DIR}/libs/TestPlugins.cpp)
target_compile_definitions(test_plugin_niltitle PRIVATE KVT_NIL_TITLE)
set_target_properties(test_plugin_notitle test_plugin_niltitle PROPERTIES
                      PREFIX "" RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
add_dependencies(${KVT_TEST} Attrelle test_plugin_notitle test_plugin_niltitle)
set_tests_properties(${KVT_TEST} PROPERTIES RESOURCE_LOCK plugin_titles)
