# What an installation on Linux holds besides the programs: manual pages, the icon, the daily
# report's systemd units and their helper, the documents; and the two Debian packages that
# `make package` builds from it with CPack (GAPSCOPE_PACKAGE=ON): gapscope-report, the
# command with everything a headless host needs and no GUI library, and gapscope, the window
# and gapscope-picture (install component "window"), which depends on it. Windows: the
# installer's inputs.
if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/WindowsPackage.cmake)
  return()
endif()
if(NOT UNIX OR APPLE)
  return()
endif()

option(GAPSCOPE_PACKAGE "Build the Debian package: every tool the installed files need is required" OFF)
set(GAPSCOPE_PACKAGE_MAINTAINER "Gapscope developers <gapscope@example.org>" CACHE STRING
    "The package's maintainer, as Debian writes it: Name <address>")
# The project's version is in every report banner; a change of the packaging alone raises
# the Debian revision. Revision 1 is the first of the two packages: it is newer than the
# single gapscope package of 3.1.23.1366 before it, which it breaks and replaces.
set(GAPSCOPE_PACKAGE_REVISION 1 CACHE STRING "The Debian revision of the packages")
set(GAPSCOPE_PACKAGE_VERSION ${PROJECT_VERSION}-${GAPSCOPE_PACKAGE_REVISION})

set(gapscope_pkg_src ${PROJECT_SOURCE_DIR}/packaging)
set(gapscope_pkg_out ${PROJECT_BINARY_DIR}/packaging)
# The command's package holds the documents; the window's its own copyright and change log.
set(gapscope_doc_dir ${CMAKE_INSTALL_DATADIR}/doc/gapscope-report)
set(gapscope_window_doc_dir ${CMAKE_INSTALL_DATADIR}/doc/gapscope)
set(GAPSCOPE_LIBEXEC_DIR ${CMAKE_INSTALL_FULL_LIBEXECDIR}/gapscope)

set(gapscope_required)
if(GAPSCOPE_PACKAGE)
  set(gapscope_required REQUIRED)
  if(NOT CMAKE_INSTALL_PREFIX STREQUAL "/usr")
    message(FATAL_ERROR "The package installs into /usr: configure with -DCMAKE_INSTALL_PREFIX=/usr")
  endif()
endif()
find_program(GAPSCOPE_SCDOC scdoc ${gapscope_required})
find_program(GAPSCOPE_RSVG_CONVERT rsvg-convert ${gapscope_required})
find_program(GAPSCOPE_GZIP gzip REQUIRED)

# Dates written into the files (manual pages, change log) are the last commit's, or
# SOURCE_DATE_EPOCH's, so that a build of the same sources gives the same files.
set(GAPSCOPE_CHANGELOG_REVISION "")
find_package(Git QUIET)
if(GIT_FOUND AND NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  execute_process(COMMAND ${GIT_EXECUTABLE} log -1 --format=%ct
                  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR} OUTPUT_VARIABLE commit_time
                  OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(commit_time)
    set(ENV{SOURCE_DATE_EPOCH} ${commit_time})
  endif()
endif()
if(GIT_FOUND)
  execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse --short=12 HEAD
                  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR} OUTPUT_VARIABLE revision
                  OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(revision)
    set(GAPSCOPE_CHANGELOG_REVISION ", built from revision ${revision}")
  endif()
endif()
string(TIMESTAMP gapscope_source_date "%s" UTC)

set(gapscope_generated)

# Manual pages, from one scdoc source each; gzip -n keeps them free of time stamps.
set(gapscope_man_pages gapscope-report gapscope-simulate)
if(GAPSCOPE_BUILD_GUI)
  list(APPEND gapscope_man_pages gapscope)
endif()
if(GAPSCOPE_SCDOC)
  foreach(page IN LISTS gapscope_man_pages)
    set(source ${PROJECT_SOURCE_DIR}/man/${page}.1.scd)
    set(roff ${PROJECT_BINARY_DIR}/man/${page}.1)
    add_custom_command(OUTPUT ${roff} ${roff}.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
      COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${gapscope_source_date}
              sh -c "\"$0\" < \"$1\" > \"$2\" && \"$3\" -9nc \"$2\" > \"$2.gz\""
              ${GAPSCOPE_SCDOC} ${source} ${roff} ${GAPSCOPE_GZIP}
      DEPENDS ${source} VERBATIM)
    list(APPEND gapscope_generated ${roff}.gz)
    if(page STREQUAL "gapscope")
      install(FILES ${roff}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT window)
    else()
      install(FILES ${roff}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    endif()
  endforeach()
else()
  message(STATUS "scdoc not found: the manual pages are neither built nor installed")
endif()

# The icon: the drawing, and pictures of the usual sizes for menus that want them.
if(GAPSCOPE_BUILD_GUI)
  set(icon ${gapscope_pkg_src}/icons/gapscope.svg)
  install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
          COMPONENT window)
  if(GAPSCOPE_RSVG_CONVERT)
    foreach(size 16 22 24 32 48 64 128 256)
      set(png ${gapscope_pkg_out}/icons/${size}x${size}/gapscope.png)
      add_custom_command(OUTPUT ${png}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${gapscope_pkg_out}/icons/${size}x${size}
        COMMAND ${GAPSCOPE_RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${icon}
        DEPENDS ${icon} VERBATIM)
      list(APPEND gapscope_generated ${png})
      install(FILES ${png}
              DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
              COMPONENT window)
    endforeach()
  else()
    message(STATUS "rsvg-convert not found: only the scalable icon is installed")
  endif()
endif()

# The daily report: user units, template system units, and the script both run.
foreach(unit gapscope-daily.service gapscope-daily@.service)
  configure_file(${gapscope_pkg_src}/systemd/${unit}.in ${gapscope_pkg_out}/systemd/${unit} @ONLY)
endforeach()
install(FILES ${gapscope_pkg_out}/systemd/gapscope-daily.service
              ${gapscope_pkg_src}/systemd/gapscope-daily.timer
        DESTINATION lib/systemd/user)
install(FILES ${gapscope_pkg_out}/systemd/gapscope-daily@.service
              ${gapscope_pkg_src}/systemd/gapscope-daily@.timer
        DESTINATION lib/systemd/system)
install(PROGRAMS ${gapscope_pkg_src}/gapscope-daily DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/gapscope)

# The metrics for Prometheus every 15 minutes, per station of a PC (system units only: the
# node exporter's folder belongs to the system).
configure_file(${gapscope_pkg_src}/systemd/gapscope-metrics@.service.in
               ${gapscope_pkg_out}/systemd/gapscope-metrics@.service @ONLY)
install(FILES ${gapscope_pkg_out}/systemd/gapscope-metrics@.service
              ${gapscope_pkg_src}/systemd/gapscope-metrics@.timer
        DESTINATION lib/systemd/system)
install(PROGRAMS ${gapscope_pkg_src}/gapscope-metrics DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/gapscope)

# Documents: the README, the licence in Debian's machine-readable form, and the change log
# in each package (changelog.Debian: they carry a Debian revision). The change log is that
# of their common source, gapscope, whose single package of 3.1.23.1366 came before them.
file(READ ${PROJECT_SOURCE_DIR}/LICENSE license)
string(REGEX MATCH "Copyright \\(c\\) ([^\n]*)" notice "${license}")
set(GAPSCOPE_COPYRIGHT "${CMAKE_MATCH_1}")
string(REGEX REPLACE "^.*(Permission is hereby)" "\\1" license "${license}")
string(STRIP "${license}" license)
string(REPLACE "\n\n" "\n.\n" license "${license}")
string(REPLACE "\n" "\n " license "${license}")
set(GAPSCOPE_LICENSE_TEXT " ${license}")
configure_file(${gapscope_pkg_src}/copyright.in ${gapscope_pkg_out}/copyright @ONLY)

string(TIMESTAMP GAPSCOPE_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
set(changelog ${gapscope_pkg_out}/changelog.Debian)
configure_file(${gapscope_pkg_src}/changelog.in ${changelog} @ONLY)
add_custom_command(OUTPUT ${changelog}.gz
  COMMAND sh -c "\"$0\" -9nc \"$1\" > \"$1.gz\"" ${GAPSCOPE_GZIP} ${changelog}
  DEPENDS ${changelog} VERBATIM)
list(APPEND gapscope_generated ${changelog}.gz)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${gapscope_pkg_out}/copyright
              ${changelog}.gz
              ${PROJECT_SOURCE_DIR}/docs/report.schema.json
        DESTINATION ${gapscope_doc_dir})
if(GAPSCOPE_BUILD_GUI)
  install(FILES ${gapscope_pkg_out}/copyright ${changelog}.gz
          DESTINATION ${gapscope_window_doc_dir} COMPONENT window)
endif()
# The daily report's settings and the monitoring examples (README, Monitoring).
install(DIRECTORY ${gapscope_pkg_src}/examples/ DESTINATION ${gapscope_doc_dir}/examples)

add_custom_target(gapscope_installed_files ALL DEPENDS ${gapscope_generated})

if(NOT GAPSCOPE_PACKAGE)
  return()
endif()

# The Debian packages, one per install component. Their dependencies on libraries come from
# the programs themselves (dpkg-shlibdeps).
set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL report)
if(GAPSCOPE_BUILD_GUI)
  list(APPEND CPACK_COMPONENTS_ALL window)
endif()
set(CPACK_PACKAGE_NAME gapscope)
set(CPACK_DEBIAN_PACKAGE_SOURCE gapscope)
set(CPACK_PACKAGE_VENDOR "the Gapscope developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_RELEASE ${GAPSCOPE_PACKAGE_REVISION})
set(CPACK_PACKAGE_CONTACT ${GAPSCOPE_PACKAGE_MAINTAINER})
set(gapscope_what "Gapscope reads the history logs that the data-management software of a
Meteosat Second Generation receiving station writes, and tells for a UTC day
which HRIT and LRIT segments, derived products and foreign-satellite images
were expected but never arrived, which segments arrived late, which repeat
cycles are missing and which DCP and MDD message numbers are missing,
following the dissemination calendar of that day.")
set(CPACK_DEBIAN_REPORT_PACKAGE_NAME gapscope-report)
set(CPACK_DEBIAN_REPORT_DESCRIPTION "missing-data report of a Meteosat receiving station
${gapscope_what}
.
This package holds the headless command gapscope-report for scripts and
servers, its systemd timers that save the daily report unattended and write
the metrics for Prometheus, and the station simulator gapscope-simulate. It
needs no graphical libraries; the window and the pictures (--picture) are
in the package gapscope.")
# The files it takes over from the single package before the split.
set(CPACK_DEBIAN_REPORT_PACKAGE_BREAKS "gapscope (<< ${GAPSCOPE_PACKAGE_VERSION})")
set(CPACK_DEBIAN_REPORT_PACKAGE_REPLACES "gapscope (<< ${GAPSCOPE_PACKAGE_VERSION})")
set(CPACK_DEBIAN_WINDOW_PACKAGE_NAME gapscope)
set(CPACK_DEBIAN_WINDOW_DESCRIPTION "missing-data report of a Meteosat receiving station (window)
${gapscope_what}
.
This package holds the window program gapscope and the drawing of the
report as a picture, by the window and by gapscope-report --picture.")
set(CPACK_DEBIAN_WINDOW_PACKAGE_DEPENDS "gapscope-report (= ${GAPSCOPE_PACKAGE_VERSION})")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR})
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${GAPSCOPE_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
