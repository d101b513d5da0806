# Real-file helpers of the plain-text engine's tests.
target_sources(${KVT_TEST} PRIVATE ${CMAKE_SOURCE_DIR}/tests/textreplacer/Helpers.cpp)
