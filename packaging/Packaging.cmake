# Installation of the utility, its printer emulator, their man pages, the help file, the desktop
# entry, the AppStream metadata and the Debian copyright and changelog; and the Debian package
# made from them.

# Who answers for the package, and the project's home.
set(PSU_MAINTAINER
    "Printer Software Switch Utility developers <maintainers@printerswitchutility.org>"
    CACHE STRING "Maintainer of the Debian package, as Name <address>")
set(PSU_APPSTREAM_ID org.printerswitchutility.PrinterSwitchUtility)
set(PSU_RELEASE_DATE 2026-12-07)
# The Debian revision of the package made from this source.
set(PSU_DEBIAN_REVISION 1)

include(${CMAKE_CURRENT_LIST_DIR}/ManPages.cmake)

# Files and folders get the usual modes whatever the umask of whoever builds.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

psu_install_program(printer-switch-utility
  SUMMARY "read and change the software switches of NORVANTA POS receipt printers"
  INCLUDE ${CMAKE_CURRENT_LIST_DIR}/printer-switch-utility.h2m)
if(TARGET printer-emulator)
  psu_install_program(printer-emulator
    SUMMARY "a NORVANTA POS receipt printer in software, over TCP or a pseudo-terminal"
    INCLUDE ${CMAKE_CURRENT_LIST_DIR}/printer-emulator.h2m)
endif()
if(TARGET printer-switch)
  psu_install_program(printer-switch
    SUMMARY "set up NORVANTA POS receipt printers from a shell or a script, one or a whole fleet"
    INCLUDE ${CMAKE_CURRENT_LIST_DIR}/printer-switch.h2m)
  # Completion of its commands, options and ports in bash, loaded when the command is first used.
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/printer-switch.bash-completion
          DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME printer-switch)
endif()

# The help file goes to the data folder, where the utility looks after the working directory
# and its own folder.
install(FILES ${PROJECT_SOURCE_DIR}/src/app/KV_SW_Help.txt
        DESTINATION ${CMAKE_INSTALL_DATADIR}/printer-switch-utility)

install(FILES ${CMAKE_CURRENT_LIST_DIR}/printer-switch-utility.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size 16 32 48 128)
  install(FILES ${PROJECT_SOURCE_DIR}/src/app/images/icon-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME printer-switch-utility.png)
endforeach()
install(FILES ${CMAKE_CURRENT_LIST_DIR}/printer-switch-utility.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# AppStream metadata, for software centres.
configure_file(${CMAKE_CURRENT_LIST_DIR}/metainfo.xml.in
               ${PROJECT_BINARY_DIR}/packaging/${PSU_APPSTREAM_ID}.metainfo.xml @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/packaging/${PSU_APPSTREAM_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The copyright file in Debian's machine-readable format, with the licence text of LICENSE.
set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${PROJECT_SOURCE_DIR}/LICENSE)
file(READ ${PROJECT_SOURCE_DIR}/LICENSE psu_licence)
if(NOT psu_licence MATCHES "Copyright \\(c\\) ([^\n]+)\n\n(.+)$")
  message(FATAL_ERROR "LICENSE: no \"Copyright (c)\" line followed by the licence text")
endif()
set(PSU_COPYRIGHT "${CMAKE_MATCH_1}")
string(STRIP "${CMAKE_MATCH_2}" psu_licence_text)
# One blank in front of every line, and a lone "." for an empty line.
string(REPLACE "\n\n" "\n.\n" psu_licence_text "${psu_licence_text}")
string(REPLACE "\n" "\n " psu_licence_text " ${psu_licence_text}")
set(PSU_LICENCE_TEXT "${psu_licence_text}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/copyright.in ${PROJECT_BINARY_DIR}/packaging/copyright
               @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/packaging/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The changelog, compressed as Debian does (gzip -n -9). Its newest entry names the version
# that the package gets.
set(psu_package_version ${PROJECT_VERSION}-${PSU_DEBIAN_REVISION})
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/changelog psu_changelog_head LIMIT_COUNT 1)
if(NOT psu_changelog_head MATCHES "^printer-switch-utility \\(${psu_package_version}\\) ")
  message(FATAL_ERROR "packaging/changelog: the newest entry is not ${psu_package_version}; "
                      "add an entry for this version")
endif()
set(psu_changelog ${PROJECT_BINARY_DIR}/packaging/changelog.Debian)
add_custom_command(
  OUTPUT ${psu_changelog}.gz
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_CURRENT_LIST_DIR}/changelog ${psu_changelog}
  COMMAND ${PSU_GZIP} -n -9 -f ${psu_changelog}
  DEPENDS ${CMAKE_CURRENT_LIST_DIR}/changelog
  COMMENT "Debian changelog"
  VERBATIM)
add_custom_target(debian-changelog ALL DEPENDS ${psu_changelog}.gz)
# The Debian changelog and lintian's overrides belong to the package alone, not to an
# installation by `cmake --install`: they form a component of their own that only the package
# takes.
install(FILES ${psu_changelog}.gz DESTINATION ${CMAKE_INSTALL_DOCDIR}
        COMPONENT debian EXCLUDE_FROM_ALL)

# Tags that lintian raises for this package but that do not apply to it, with the reasons.
install(FILES ${CMAKE_CURRENT_LIST_DIR}/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME printer-switch-utility
        COMPONENT debian EXCLUDE_FROM_ALL)

set(CPACK_GENERATOR DEB)
# Everything a local installation gets ("Unspecified", the install rules' default component),
# and the package's own files besides. Named components also keep the package's installation
# from writing build/install_manifest.txt, the list of a local installation's files that its
# removal reads.
set(CPACK_INSTALL_CMAKE_PROJECTS
    "${PROJECT_BINARY_DIR};${PROJECT_NAME};Unspecified;/"
    "${PROJECT_BINARY_DIR};${PROJECT_NAME};debian;/")
set(CPACK_PACKAGE_NAME printer-switch-utility)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${PSU_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/package)
# The extended description as lintian wants it: lines of at most 80 characters.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "Reads and writes the software switches and the default code page of NORVANTA\n"
       "POS receipt printers (KV-4100, ZEPHYR-550) over a serial port, the USB or\n"
       "parallel printer device or TCP/IP, starts their self-test print and logs their\n"
       "replies.\n"
       "\n"
       "Comes with printer-switch, the same on the command line for scripts and fleets\n"
       "of printers (backup, restore to many printers at once, network search), and\n"
       "printer-emulator, a printer of this maker in software, for trying the utility\n"
       "without hardware.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${PSU_DEBIAN_REVISION})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${PROJECT_HOMEPAGE_URL}")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Debian's Qt 6 libraries and the platform plugins that let the window open. Where
# dpkg-shlibdeps is at hand it finds the libraries, with their versions, and the system
# libraries besides; the plugins it cannot see.
find_program(PSU_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(PSU_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins (>= 6.4)")
else()
  string(CONCAT CPACK_DEBIAN_PACKAGE_DEPENDS
         "libqt6core6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6widgets6 (>= 6.4), "
         "libqt6network6 (>= 6.4), libqt6serialport6 (>= 6.4), qt6-qpa-plugins (>= 6.4)")
endif()
# The package carries stripped programs; the build tree keeps those with debug information.
set(CPACK_STRIP_FILES ON)
# The help viewer is started through the desktop's opener.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
include(CPack)
