# Header-only libraries of the build machine, for a cross build. Their CMake packages name
# /usr/include, which must not reach the cross compiler (the build machine's C library is
# there), so each library is offered through a folder that holds its headers alone.
set(GAPSCOPE_HOST_HEADERS ${CMAKE_BINARY_DIR}/host-headers)
file(MAKE_DIRECTORY ${GAPSCOPE_HOST_HEADERS})

# gapscope_host_header_library(TARGET FOLDER PACKAGE): /usr/include/FOLDER as TARGET.
function(gapscope_host_header_library target folder package)
  if(NOT EXISTS /usr/include/${folder})
    message(FATAL_ERROR "${folder} headers not found in /usr/include (Debian: ${package})")
  endif()
  file(CREATE_LINK /usr/include/${folder} ${GAPSCOPE_HOST_HEADERS}/${folder} SYMBOLIC)
  add_library(${target} INTERFACE IMPORTED GLOBAL)
  target_include_directories(${target} SYSTEM INTERFACE ${GAPSCOPE_HOST_HEADERS})
endfunction()

gapscope_host_header_library(CLI11::CLI11 CLI libcli11-dev)
gapscope_host_header_library(nlohmann_json::nlohmann_json nlohmann nlohmann-json3-dev)
