# Adds and removes drive letters of the shared prefix; fills and breaks the
# build's trash; the shell's question to answer is a window on the desktop.
set_tests_properties(${KVT_TEST} PROPERTIES RESOURCE_LOCK "wine_drives;trash;desktop")
# Unix links that Wine shows as folder links, made before the test and
# removed after it: one to an outside folder with a file, one to the folder
# that holds it.
set(kvt_links ${CMAKE_BINARY_DIR}/fileops_links)
add_test(NAME fileops_links_make
         COMMAND sh -c "rm -rf '${kvt_links}' && mkdir -p '${kvt_links}/outside' '${kvt_links}/tree' && echo kept > '${kvt_links}/outside/kept.txt' && ln -s '${kvt_links}/outside' '${kvt_links}/tree/out' && ln -s '${kvt_links}/tree' '${kvt_links}/tree/self'")
add_test(NAME fileops_links_remove COMMAND rm -rf ${kvt_links})
set_tests_properties(fileops_links_make PROPERTIES FIXTURES_SETUP fileops_links)
set_tests_properties(fileops_links_remove PROPERTIES FIXTURES_CLEANUP fileops_links)
set_tests_properties(${KVT_TEST} PROPERTIES FIXTURES_REQUIRED "wine;fileops_links"
                     ENVIRONMENT "KVT_LINKS=${kvt_links}")
