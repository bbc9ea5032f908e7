# Every test of the Windows build runs under Wine, in one private prefix that the fixture
# `wine_prefix` makes afresh once per test run, with no display.
set(GAPSCOPE_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(GAPSCOPE_WINE_ENV
  WINEPREFIX=${GAPSCOPE_WINEPREFIX} WINEDEBUG=-all "WINEDLLOVERRIDES=mscoree,mshtml="
  # The UNC share the fixture makes, for the tests of UNC paths.
  "GAPSCOPE_TEST_UNC_SHARE=\\\\localhost\\station")

add_test(NAME wine_prefix
         COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/make-wine-prefix.sh ${GAPSCOPE_WINEPREFIX})
set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine)
# Ends the prefix's server at once instead of a few seconds after the last test.
add_test(NAME wine_prefix_stop COMMAND sh -c "wineserver -k; exit 0")
set_tests_properties(wine_prefix_stop PROPERTIES FIXTURES_CLEANUP wine
                                                 ENVIRONMENT "${GAPSCOPE_WINE_ENV}")

function(gapscope_test_needs_target_system name)
  set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT "${GAPSCOPE_WINE_ENV}")
  set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT_MODIFICATION
               DISPLAY=unset: WAYLAND_DISPLAY=unset:)
  set_property(TEST ${name} APPEND PROPERTY FIXTURES_REQUIRED wine)
  # A program stuck under Wine fails its test instead of holding up the run.
  set_property(TEST ${name} PROPERTY TIMEOUT 180)
endfunction()
