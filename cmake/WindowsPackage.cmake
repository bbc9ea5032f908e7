# What the Windows installer holds, for packaging/windows/make-msi.sh: this build's version
# and program files, the window's once the build has it (it then gets a Start-menu shortcut),
# and the licence of the font the programs carry (Debian's fonts-dejavu-core).
get_property(gapscope_multi_config GLOBAL PROPERTY GENERATOR_IS_MULTI_CONFIG)
if(gapscope_multi_config)
  return()
endif()
set(gapscope_installer_inputs "version=${PROJECT_VERSION}
report=$<TARGET_FILE:gapscope-report>
simulate=$<TARGET_FILE:gapscope-simulate>
fontlicence=${GAPSCOPE_PICTURE_FONT_LICENCE}
")
if(TARGET gapscope)
  string(APPEND gapscope_installer_inputs "window=$<TARGET_FILE:gapscope>\n")
endif()
file(GENERATE OUTPUT ${PROJECT_BINARY_DIR}/packaging/windows-installer.txt
     CONTENT "${gapscope_installer_inputs}")
