# Test registration of the cross build. Every Wine start costs seconds, so each test
# executable is one CTest test, run whole under the emulator from the folder that
# holds the DLLs. The executables share one private Wine prefix: a fixture creates
# it before any of them starts (concurrent first starts would each try to create it)
# and, after the last one, waits until the prefix's Wine server has exited.
set(QRC_WINE_ENVIRONMENT WINEPREFIX=${PROJECT_BINARY_DIR}/wine)

# Any Wine start creates a missing prefix; a trivial command costs a second otherwise.
add_test(NAME wine_prefix COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} cmd /c exit 0)
add_test(NAME wine_server_exit COMMAND /usr/lib/wine/wineserver64 --wait)
set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine ENVIRONMENT ${QRC_WINE_ENVIRONMENT})
set_tests_properties(wine_server_exit PROPERTIES FIXTURES_CLEANUP wine ENVIRONMENT ${QRC_WINE_ENVIRONMENT})

function(qrc_add_cross_test name labels)
  add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
  set_tests_properties(${name} PROPERTIES
    FIXTURES_REQUIRED wine ENVIRONMENT ${QRC_WINE_ENVIRONMENT} LABELS "${labels}")
endfunction()
