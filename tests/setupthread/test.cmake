# The thread writes resources "file1".."fileN": the test program carries five
# of chosen sizes, and a data library carries one good and one empty one.
target_link_libraries(${KVT_TEST} PRIVATE kvt_setup)
set(res_dir ${CMAKE_CURRENT_BINARY_DIR}/setupthread)
# The bytes of every resource: a pattern whose period divides no chunk size,
# so that a chunk written twice or skipped shows.
set(pattern "abcdefghijklmnopqrstuvwxyz0123456789ABCDEFGHIJKLMNOPQRSTUVWXY")
function(setupthread_file name size)
  string(LENGTH "${pattern}" period)
  math(EXPR times "${size} / ${period} + 1")
  string(REPEAT "${pattern}" ${times} text)
  string(SUBSTRING "${text}" 0 ${size} text)
  file(WRITE ${res_dir}/${name} "${text}")
endfunction()
set(script "")
set(n 0)
foreach(size 200000 200001 600000 1 12345)
  math(EXPR n "${n} + 1")
  setupthread_file(file${n}.bin ${size})
  string(APPEND script "FILE${n} RCDATA \"${res_dir}/file${n}.bin\"\n")
endforeach()
file(WRITE ${res_dir}/resources.rc "${script}")
target_sources(${KVT_TEST} PRIVATE ${res_dir}/resources.rc)

setupthread_file(small.bin 10)
file(WRITE ${res_dir}/empty.bin "")
file(WRITE ${res_dir}/data.rc "FILE1 RCDATA \"${res_dir}/small.bin\"\nFILE2 RCDATA \"${res_dir}/empty.bin\"\n")
file(WRITE ${res_dir}/data.cpp "// Only resources.\n")
add_library(setupthread_data SHARED ${res_dir}/data.cpp ${res_dir}/data.rc)
set_target_properties(setupthread_data PROPERTIES PREFIX "" OUTPUT_NAME setupdata
                      RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
add_dependencies(${KVT_TEST} setupthread_data)
# The error box of a failed link is found on the desktop.
set_tests_properties(${KVT_TEST} PROPERTIES RESOURCE_LOCK desktop)
