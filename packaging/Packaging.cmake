# Installation of the utility, its printer emulator, the help file and the desktop entry, and
# the Debian package made from them.

install(TARGETS printer-switch-utility RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET printer-emulator)
  install(TARGETS printer-emulator RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
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

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME printer-switch-utility)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "Reads and writes the software switches and the default code page of NORVANTA POS "
       "receipt printers over a serial port, the USB/parallel printer device or TCP/IP, "
       "starts their self-test print and logs their replies. Comes with printer-emulator, a "
       "printer of this maker in software for trying the utility without hardware.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
if(NOT CPACK_DEBIAN_PACKAGE_MAINTAINER)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Printer Switch Utility maintainers <maintainers@localhost>")
endif()
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
set(CPACK_STRIP_FILES ON)
# The help viewer is started through the desktop's opener.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
include(CPack)
