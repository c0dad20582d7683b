# Installation under /usr and the Debian package korvel-config (cpack -G DEB, scripts/package).
# The package passes lintian --pedantic (scripts/check-package) when it is built with the flags
# of dpkg-buildflags, as scripts/package and scripts/run do.
include(GNUInstallDirs)

# No mail domain is ours: the reserved top-level domain .invalid says so in the address itself,
# where any made-up domain could one day belong to somebody else. Set a real contact here.
set(KORVEL_MAINTAINER "Korvel-Config developers <korvel-config@noreply.invalid>"
    CACHE STRING "Maintainer field of the Debian package")
# The web address that the about box names; the AppStream screenshot is expected under it.
set(KORVEL_HOMEPAGE "https://korvel-config.example.org")

# The changelog's top entry is the release: its version must be the project's, and its date
# dates the manual pages and the AppStream release.
file(STRINGS packaging/changelog changelog_lines ENCODING UTF-8)
list(GET changelog_lines 0 changelog_top)
if(NOT changelog_top MATCHES "^korvel-config \\(([^)]*)\\) " OR
   NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
    message(FATAL_ERROR "packaging/changelog: the top entry must be version ${PROJECT_VERSION} "
                        "(project() in CMakeLists.txt), not: ${changelog_top}")
endif()
set(KORVEL_RELEASE_DATE)
foreach(line IN LISTS changelog_lines)
    if(line MATCHES "^ -- .*  [A-Z][a-z][a-z], ([0-9][0-9]) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
        set(day ${CMAKE_MATCH_1})
        set(year ${CMAKE_MATCH_3})
        set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
        list(FIND months ${CMAKE_MATCH_2} month)
        math(EXPR month "${month} + 1" OUTPUT_FORMAT DECIMAL)
        string(LENGTH ${month} digits)
        if(digits EQUAL 1)
            set(month 0${month})
        endif()
        set(KORVEL_RELEASE_DATE ${year}-${month}-${day})
        break()
    endif()
endforeach()
if(NOT KORVEL_RELEASE_DATE)
    message(FATAL_ERROR "packaging/changelog: the top entry has no trailer line with a date")
endif()

# Manual pages and the changelog go into the package compressed, as Debian's policy asks;
# gzip -n keeps the build time out of the files.
set(doc_dir ${CMAKE_BINARY_DIR}/packaging)
set(compressed)
foreach(page Korvel_Config.1 korvel-sim.1 korvel-cli.1)
    configure_file(packaging/man/${page}.in ${doc_dir}/${page} @ONLY)
endforeach()
configure_file(packaging/changelog ${doc_dir}/changelog COPYONLY)
foreach(name Korvel_Config.1 korvel-sim.1 korvel-cli.1 changelog)
    add_custom_command(OUTPUT ${doc_dir}/${name}.gz
                       COMMAND gzip -9nkf ${doc_dir}/${name}
                       DEPENDS ${doc_dir}/${name}
                       VERBATIM)
    list(APPEND compressed ${doc_dir}/${name}.gz)
endforeach()
add_custom_target(korvel_docs ALL DEPENDS ${compressed})
configure_file(packaging/korvel-config.metainfo.xml.in
               ${doc_dir}/org.example.korvel_config.metainfo.xml @ONLY)

# The programs the package installs. scripts/package builds korvel_package_contents and nothing
# more, so whatever the package installs must be built by that target.
set(KORVEL_PACKAGED_PROGRAMS Korvel_Config korvel-sim korvel-cli)
add_custom_target(korvel_package_contents)
add_dependencies(korvel_package_contents ${KORVEL_PACKAGED_PROGRAMS} korvel_docs)

install(TARGETS ${KORVEL_PACKAGED_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# A stripped install (the package's) also drops the compiler's notes, as Debian's tools do.
install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
        foreach(program ${KORVEL_PACKAGED_PROGRAMS})
            execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
                \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/\${program}\"
                COMMAND_ERROR_IS_FATAL ANY)
        endforeach()
    endif()")
install(FILES packaging/korvel-config.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/korvel-config.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${doc_dir}/org.example.korvel_config.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${doc_dir}/Korvel_Config.1.gz ${doc_dir}/korvel-sim.1.gz ${doc_dir}/korvel-cli.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# The tool is GPLv3 (it links Qt Charts, which is GPLv3 only); the copyright file points to
# Debian's copy of the licence.
install(FILES packaging/copyright ${doc_dir}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/korvel-config)
install(FILES packaging/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
        RENAME korvel-config)

set(CPACK_PACKAGE_NAME korvel-config)
set(CPACK_PACKAGE_VENDOR "Korvel-Config developers")
set(CPACK_PACKAGE_CONTACT "${KORVEL_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${KORVEL_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "configuration and test tool for Korvel433/868 radio modules")
# Debian wraps the long description at 80 columns; each line here is one line there.
set(CPACK_PACKAGE_DESCRIPTION
    "Identifies a Korvel433/868 radio module on a serial port, reads and writes
its configuration, keeps configurations in nine memory locations and runs
module and radio tests: carrier output, LinkControl and a spectrum monitor.
The window speaks German and English.
.
Includes korvel-cli, which does every module operation from scripts and
production lines, and korvel-sim, an emulated module on a pseudo-terminal.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's own texts (standard buttons and dialogs) in German, and Qt's Wayland platform, without
# which the window runs on GNOME's and KDE's Wayland sessions only through Xwayland.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, qt6-wayland")
# The station's record database: Qt loads its SQL drivers as plugins, which the shared-library
# scan does not see. SQLite is the default; PostgreSQL serves a plant's database.
set(CPACK_DEBIAN_PACKAGE_DEPENDS libqt6sql6-sqlite)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS libqt6sql6-psql)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_CURRENT_SOURCE_DIR}/LICENSE)
include(CPack)
