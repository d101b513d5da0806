# cmake -DSOURCE=... -DTARGET=... -DCODEPAGE=... -P convert.cmake
# Language and tip files are kept as UTF-8 and shipped in their language's
# code page with CR LF line ends; a character the code page lacks fails.
execute_process(COMMAND iconv -f UTF-8 -t ${CODEPAGE} INPUT_FILE ${SOURCE}
                OUTPUT_FILE ${TARGET}.part RESULT_VARIABLE failed ERROR_VARIABLE why)
if(failed)
  file(REMOVE ${TARGET}.part)
  message(FATAL_ERROR "${SOURCE} cannot be written in ${CODEPAGE}: ${why}")
endif()
file(READ ${TARGET}.part text)
file(REMOVE ${TARGET}.part)
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE ${TARGET} "${text}")
