# Dependencies point down: a folder's code includes only folders of a lower layer. Layers from
# the bottom: the core's tables, logs, start-up, files and the platform, the report, what
# shares its findings, the formats and pictures, the window's model, the fronts, and the tools
# beside the programs.
#   cmake -DSOURCE_DIR=... -P folder_layers.cmake
set(layers
  "catalogue" "history" "startup" "files platform" "report"
  "measures settings unattended" "formats pictures" "window_model"
  "command window_qt window_win" "tools bench fuzz")

set(rank 0)
foreach(layer IN LISTS layers)
  string(REPLACE " " ";" folders "${layer}")
  foreach(folder IN LISTS folders)
    set(rank_${folder} ${rank})
  endforeach()
  math(EXPR rank "${rank} + 1")
endforeach()

set(faults "")
set(checked 0)
# Each top folder on its own: build folders, which may hold a whole Wine prefix, are not read.
set(sources "")
file(GLOB tops RELATIVE "${SOURCE_DIR}" LIST_DIRECTORIES true "${SOURCE_DIR}/*")
foreach(top IN LISTS tops)
  if(IS_DIRECTORY "${SOURCE_DIR}/${top}" AND NOT top MATCHES "^(tests|build|\\.)")
    file(GLOB_RECURSE found RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/${top}/*.cpp"
         "${SOURCE_DIR}/${top}/*.h")
    list(APPEND sources ${found})
  endif()
endforeach()
foreach(source IN LISTS sources)
  string(REGEX MATCH "^[^/]+" folder "${source}")
  if(NOT DEFINED rank_${folder})
    list(APPEND faults "${source}: the folder ${folder}/ has no layer here")
    continue()
  endif()
  math(EXPR checked "${checked} + 1")
  file(STRINGS "${SOURCE_DIR}/${source}" includes REGEX "^#include \"[a-z_]+/")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^#include \"([a-z_]+)/.*" "\\1" used "${line}")
    if(used STREQUAL folder OR NOT DEFINED rank_${used})
      continue()
    endif()
    if(NOT rank_${used} LESS rank_${folder})
      list(APPEND faults "${source} includes ${used}/, which is not below ${folder}/")
    endif()
  endforeach()
endforeach()

if(faults)
  list(JOIN faults "\n" text)
  message(FATAL_ERROR "${text}")
endif()
message(STATUS "${checked} files: every include points down")
