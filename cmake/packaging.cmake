# The Debian package. `cpack -G DEB` in the build tree writes
# vantrel_<version>_<arch>.deb: the two programs (installed by src/app and
# src/inspect), the desktop entry, icon and MIME type (data/), and what is
# made here: the AppStream metadata, the manual pages, the README, the
# copyright file and the changelog. The version is project()'s.
include(GNUInstallDirs)

# The release of PROJECT_VERSION: set anew with the version in project().
set(VANTREL_RELEASE_DATE 2026-12-10)
set(VANTREL_HOMEPAGE https://vantrel.example.org/)
set(VANTREL_APPSTREAM_ID org.example.vantrel)
set(VANTREL_MAINTAINER "The Vantrel developers <maintainers@vantrel.example.org>")

# The changelog wants the date as RFC 2822, with the day of the week.
execute_process(COMMAND date -u -R -d "${VANTREL_RELEASE_DATE} 00:00:00"
                OUTPUT_VARIABLE VANTREL_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)

# The copyright file quotes LICENSE: its holder line, and the terms as a
# Debian control paragraph (each line indented, a blank line as " .").
file(READ ${PROJECT_SOURCE_DIR}/LICENSE license)
string(REGEX MATCH "Copyright \\(c\\) ([^\n]+)" _ "${license}")
set(VANTREL_COPYRIGHT "${CMAKE_MATCH_1}")
string(FIND "${license}" "Permission is hereby granted" terms_start)
if(NOT VANTREL_COPYRIGHT OR terms_start LESS 0)
  message(FATAL_ERROR "LICENSE holds no MIT terms with a copyright line")
endif()
string(SUBSTRING "${license}" ${terms_start} -1 terms)
string(STRIP "${terms}" terms)
string(REPLACE "\n\n" "\n.\n" terms "${terms}")
string(REPLACE "\n" "\n " VANTREL_LICENSE_TERMS " ${terms}")

set(generated ${PROJECT_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${generated}/gz)
set(docdir ${CMAKE_INSTALL_DATAROOTDIR}/doc/vantrel)
configure_file(data/vantrel.metainfo.xml.in
               ${generated}/${VANTREL_APPSTREAM_ID}.metainfo.xml @ONLY)
configure_file(data/debian/copyright.in ${generated}/copyright @ONLY)

# Manual pages and the changelog, compressed as Debian wants them: gzip at
# its best, without a name or time stamp in the header.
set(compressed)
foreach(page vantrel.1 vantrel-inspect.1)
  configure_file(data/man/${page}.in ${generated}/${page} @ONLY)
endforeach()
configure_file(data/debian/changelog.in ${generated}/changelog @ONLY)
foreach(file vantrel.1 vantrel-inspect.1 changelog)
  add_custom_command(
    OUTPUT ${generated}/gz/${file}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${generated}/${file} ${generated}/gz/${file}
    COMMAND gzip -9nf ${generated}/gz/${file}
    DEPENDS ${generated}/${file}
    COMMENT "Compressing ${file}"
    VERBATIM)
  list(APPEND compressed ${generated}/gz/${file}.gz)
endforeach()
add_custom_target(vantrel_package_files ALL DEPENDS ${compressed})

install(FILES ${generated}/${VANTREL_APPSTREAM_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)
install(FILES ${generated}/gz/vantrel.1.gz ${generated}/gz/vantrel-inspect.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES README.md ${generated}/copyright ${generated}/gz/changelog.gz DESTINATION ${docdir})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantrel)
set(CPACK_PACKAGE_VENDOR "The Vantrel developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${VANTREL_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# A version without a Debian revision: the package is native, made here
# from the project's own tree.
set(CPACK_DEBIAN_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VANTREL_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${VANTREL_HOMEPAGE})
# The libraries come from dpkg-shlibdeps; the rest is loaded at run time:
# the fonts the Chinese interface and the report are drawn with, and Qt's
# own Chinese texts (src/app/stock_translations.cpp).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-wqy-microhei, fonts-liberation2, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The synopsis is project()'s DESCRIPTION; this is the text below it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Vantrel opens the *.DAT record files that a digital ultrasonic flaw
detector writes and shows each A-scan as the instrument's screen showed
it: grid, rulers, gates, DAC and DGS curves and readouts. It steps, seeks
and plays through a recording, shows the settings in force, jumps to the
operator's notes and prints a one-page A4 inspection report.

vantrel-inspect, its command-line companion, answers the same questions
without a window and prints JSON, for scripts and batch work.")
include(CPack)
