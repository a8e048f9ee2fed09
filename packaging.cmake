# SPDX-License-Identifier: MIT
# Installation of the three programs. The Debian package (debian/, built by
# scripts/package.sh) installs through these rules under /usr.
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
# docs/usb.md and docs/m350ctl.md are where the programs' hints send the reader.
install(FILES LICENSE README.md docs/m350ctl.md docs/usb.md
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/m350-utility)
