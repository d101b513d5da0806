# cmake "-DFILES=a;b;..." -DRC=out.rc -DAGREEMENT=... -DICON=... -P embed.cmake
# Writes the installer's resource script. A missing or empty file stops the
# build here, by name, rather than shipping a broken installer.
set(script "MAINICON ICON \"${ICON}\"\nprogramIcon ICON \"${ICON}\"\nagreement RCDATA \"${AGREEMENT}\"\n")
set(n 0)
foreach(file IN LISTS FILES)
  math(EXPR n "${n} + 1")
  if(NOT EXISTS ${file})
    message(FATAL_ERROR "kvtSETUP: the file to embed as FILE${n} is missing: ${file}")
  endif()
  file(SIZE ${file} size)
  if(size EQUAL 0)
    message(FATAL_ERROR "kvtSETUP: the file to embed as FILE${n} is empty: ${file}")
  endif()
  string(APPEND script "FILE${n} RCDATA \"${file}\"\n")
endforeach()
file(WRITE ${RC} "${script}")
