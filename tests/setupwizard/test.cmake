# The wizard writes this program's own resources: FILE1..FILE21 of known
# bytes (the first of two chunks, so the gauge moves), the licence and the
# icon. Its windows and the links it makes on the shared desktop and start
# menu take the desktop lock.
target_link_libraries(${KVT_TEST} PRIVATE kvt_setup)
set(res_dir ${CMAKE_CURRENT_BINARY_DIR}/setupwizard)
set(script "programIcon ICON \"${CMAKE_SOURCE_DIR}/windows/program/res/Kelvanto.ico\"\n")
string(APPEND script "agreement RCDATA \"${CMAKE_SOURCE_DIR}/setup/program/agreement.rtf\"\n")
foreach(n RANGE 1 21)
  if(n EQUAL 1)
    set(size 300000)
  else()
    math(EXPR size "${n} * 97")
  endif()
  string(REPEAT "file ${n};" 50000 text)
  string(SUBSTRING "${text}" 0 ${size} text)
  file(WRITE ${res_dir}/file${n}.bin "${text}")
  string(APPEND script "FILE${n} RCDATA \"${res_dir}/file${n}.bin\"\n")
endforeach()
file(WRITE ${res_dir}/resources.rc "${script}")
target_sources(${KVT_TEST} PRIVATE ${res_dir}/resources.rc)
set_tests_properties(${KVT_TEST} PROPERTIES RESOURCE_LOCK desktop)
