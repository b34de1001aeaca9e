# Install rules and the Debian package.
#
# On Linux the programs go to <prefix>/bin and the shipped files (BIN, LNG) to
# <prefix>/share/gas-workbench, beside a marker file that makes the programs run from the
# user's own folder (see app/AppFolder.h); a menu entry, its icon and a udev rule for the
# FTDI cables come with them. On Windows the install is a portable folder: bin/ with BIN/
# and LNG/ beside it, as in the build's app folder.
#   cmake --install build --prefix /some/where
#   cd build && cpack -G DEB          -> gas-workbench_<version>_<arch>.deb

set(gw_programs gas-workbench-cli)
foreach(program gas-ecu-sim gas-workbench)
  if(TARGET ${program})
    list(APPEND gw_programs ${program})
  endif()
endforeach()
install(TARGETS ${gw_programs} RUNTIME DESTINATION bin)

if(WIN32)
  install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/ DESTINATION .)
else()
  set(gw_share share/gas-workbench)
  install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/ DESTINATION ${gw_share})
  file(WRITE ${CMAKE_BINARY_DIR}/packaging/INSTALLED
       "The programs run from each user's own copy of these files ($XDG_DATA_HOME/gas-workbench).\n")
  install(FILES ${CMAKE_BINARY_DIR}/packaging/INSTALLED DESTINATION ${gw_share})

  set(gw_pkg ${CMAKE_SOURCE_DIR}/packaging)
  if(TARGET gas-workbench)
    install(FILES ${gw_pkg}/gas-workbench.desktop DESTINATION share/applications)
  endif()
  install(FILES ${gw_pkg}/gas-workbench.svg DESTINATION share/icons/hicolor/scalable/apps)
  foreach(size 48 128 256)
    install(FILES ${gw_pkg}/gas-workbench-${size}.png
            DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME gas-workbench.png)
  endforeach()
  # <prefix>/lib/udev/rules.d: udev reads /usr/lib and /usr/local/lib alike.
  install(FILES ${gw_pkg}/70-gas-workbench-ftdi.rules DESTINATION lib/udev/rules.d)
endif()

set(CPACK_PACKAGE_NAME gas-workbench)
set(CPACK_PACKAGE_VENDOR "Gas Workbench developers")
set(CPACK_PACKAGE_CONTACT "Gas Workbench developers <gas-workbench@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Workbench for sequential LPG/CNG gas-injection ECUs")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Reads and writes the ECU's settings over an FTDI USB cable or a serial port,\nshows live values, and upgrades the firmware. Includes a command-line tool\nand a simulated ECU.")
# Library packages from the programs' links; the window program also needs Qt's platform
# plugins, which it loads at run time.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(TARGET gas-workbench)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
endif()
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "udev")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_SOURCE_DIR}/packaging/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
