# gapscope_add_program(target description [DESTINATION dir] [COMPONENT name]): a program of
# the project. It is built into bin/ of the build tree, so that scripts and tests find every
# program in one place, carries the version text in its version resource on Windows, and is
# installed (into bin/ unless DESTINATION says otherwise; COMPONENT names the package part).
function(gapscope_add_program target description)
  cmake_parse_arguments(ARG "" "DESTINATION;COMPONENT" "" ${ARGN})
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin)
  if(WIN32)
    set(GAPSCOPE_RC_DESCRIPTION "${description}")
    configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in
                   ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc @ONLY)
    target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
  endif()
  if(NOT ARG_DESTINATION)
    set(ARG_DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
  if(ARG_COMPONENT)
    install(TARGETS ${target} RUNTIME DESTINATION ${ARG_DESTINATION} COMPONENT ${ARG_COMPONENT})
  else()
    install(TARGETS ${target} RUNTIME DESTINATION ${ARG_DESTINATION})
  endif()
endfunction()
