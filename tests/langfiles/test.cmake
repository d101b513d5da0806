# Checks the language and tip files the build writes into the program folder
# against the translators' master list of the built-in texts.
configure_file(${CMAKE_SOURCE_DIR}/data/lang/english.txt ${CMAKE_CURRENT_BINARY_DIR}/langfiles/english.txt COPYONLY)
add_dependencies(${KVT_TEST} kvt_languages)
# The main window is built with its pictures.
target_sources(${KVT_TEST} PRIVATE ${CMAKE_SOURCE_DIR}/windows/program/Kelvanto.rc)
# The compiled help holds every topic the windows ask for.
add_test(NAME test_langfiles_help
         COMMAND ${CMAKE_COMMAND} -DPROGRAM=${CMAKE_BINARY_DIR}/program
                 -P ${CMAKE_CURRENT_LIST_DIR}/HelpTopics.cmake)
