# Installation of the three programs and the Debian package (scripts/package.sh).
include(GNUInstallDirs)

set(_m350_programs m350-printer-sim)
if(TARGET m350-utility)
  list(APPEND _m350_programs m350-utility)
endif()
if(TARGET m350ctl)
  list(APPEND _m350_programs m350ctl)
endif()
install(TARGETS ${_m350_programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# m350ctl's font maker (cli/font_make.h), found from m350ctl's own folder.
if(TARGET m350ctl-fonts)
  install(TARGETS m350ctl-fonts RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/m350-utility)
endif()
# The package is m350-utility, so its documents go under that name.
install(FILES LICENSE README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/m350-utility)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME m350-utility)
set(CPACK_PACKAGE_VERSION ${M350_VERSION})
set(CPACK_PACKAGE_VENDOR "M350 developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "configuration and diagnostics for thermal barcode-label printers")
set(CPACK_PACKAGE_DESCRIPTION
    "A desktop utility (m350-utility), a command-line tool (m350ctl) and a simulated printer (m350-printer-sim) to read the status of a label printer over USB, serial, parallel or TCP, read, edit, write, save and load its configuration, and run its maintenance functions.")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_CURRENT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${M350_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# The dependencies come from the programs' shared libraries (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk, fonts-dejavu-core")
set(CPACK_STRIP_FILES ON)
include(CPack)
