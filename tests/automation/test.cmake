# The stand-in office servers: an in-process COM server the tests register.
file(GLOB standin_srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/standin/*.cpp)
add_library(kvt_standin SHARED ${standin_srcs} ${CMAKE_CURRENT_LIST_DIR}/standin/standin.def)
target_link_libraries(kvt_standin PRIVATE ole32 oleaut32 uuid)
target_include_directories(kvt_standin PRIVATE ${CMAKE_SOURCE_DIR})
set_target_properties(kvt_standin PROPERTIES PREFIX "" OUTPUT_NAME kvt_standin
                      RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
add_dependencies(${KVT_TEST} kvt_standin)
set_tests_properties(${KVT_TEST} PROPERTIES RESOURCE_LOCK com_registration)
