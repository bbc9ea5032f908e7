# Header-only libraries of the build machine, for a cross build. Their CMake packages name
# /usr/include, which must not reach the cross compiler (the build machine's C library is
# there), so each library is offered through a folder that holds its headers alone.
set(GAPSCOPE_HOST_HEADERS ${CMAKE_BINARY_DIR}/host-headers)
file(MAKE_DIRECTORY ${GAPSCOPE_HOST_HEADERS})
if(NOT EXISTS /usr/include/CLI/CLI.hpp)
  message(FATAL_ERROR "CLI11 headers not found in /usr/include/CLI (Debian: libcli11-dev)")
endif()
file(CREATE_LINK /usr/include/CLI ${GAPSCOPE_HOST_HEADERS}/CLI SYMBOLIC)
add_library(CLI11::CLI11 INTERFACE IMPORTED)
target_include_directories(CLI11::CLI11 SYSTEM INTERFACE ${GAPSCOPE_HOST_HEADERS})
