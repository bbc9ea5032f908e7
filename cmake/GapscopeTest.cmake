# GoogleTest: Debian's library, or, when cross-compiling, built from Debian's sources with
# the cross compiler (there is no packaged GoogleTest for the target).
if(CMAKE_CROSSCOMPILING)
  set(GAPSCOPE_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources for a cross build")
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  # Its own CMake files name the targets GTest::gtest and GTest::gtest_main.
  add_subdirectory(${GAPSCOPE_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
else()
  find_package(GTest REQUIRED)
endif()

# gapscope_add_test(NAME [QT] SOURCES file... LIBS lib... [ENV var=value...]): one test
# executable per unit, registered with CTest under NAME. A GoogleTest test by default; with
# QT a QTest test, which brings its own main and runs on Qt's offscreen platform.
function(gapscope_add_test name)
  cmake_parse_arguments(ARG "QT" "" "SOURCES;LIBS;ENV" ${ARGN})
  add_executable(test_${name} ${ARG_SOURCES})
  target_compile_definitions(test_${name}
    PRIVATE GAPSCOPE_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data")
  # The version a test expects is the build's (settings/version.h), never typed in.
  target_link_libraries(test_${name} PRIVATE gapscope_version)
  add_test(NAME ${name} COMMAND test_${name})
  if(ARG_QT)
    set_target_properties(test_${name} PROPERTIES AUTOMOC ON)
    target_link_libraries(test_${name} PRIVATE ${ARG_LIBS} Qt6::Test)
    list(PREPEND ARG_ENV "QT_QPA_PLATFORM=offscreen")
  else()
    target_link_libraries(test_${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
  endif()
  if(ARG_ENV)
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${ARG_ENV}")
  endif()
  gapscope_test_needs_target_system(${name})
endfunction()

# Tests of a cross build run under Wine, in one Wine prefix made afresh for each test run.
if(WIN32 AND CMAKE_CROSSCOMPILING)
  include(${CMAKE_CURRENT_LIST_DIR}/WineTests.cmake)
else()
  function(gapscope_test_needs_target_system name)
  endfunction()
endif()
