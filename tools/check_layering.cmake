# SPDX-License-Identifier: MIT
cmake_minimum_required(VERSION 3.25)
# Fails when a file under ROOT includes a Qt header or a header of gui/ or
# cli/: the core is shared by the window and the command-line tool and must
# not depend on either. Run by CTest (tests/CMakeLists.txt).
#
# The font rasteriser in ROOT/fonts/ draws text with QtGui: it may include the
# QtGui and QtCore headers listed below, never a Qt Widgets header.
set(_fonts_qt QFont QFontDatabase QFontInfo QFontMetrics QGuiApplication QImage QPainter QColor
              QRgb QRawFont QString QByteArray QSaveFile QFile QDir QFileInfo QTemporaryDir
              QtGui QtCore)
file(GLOB_RECURSE _files ${ROOT}/*.h ${ROOT}/*.cpp)
set(_bad "")
foreach(_f IN LISTS _files)
  file(STRINGS ${_f} _includes REGEX "^[ \t]*#[ \t]*include")
  string(FIND "${_f}" "${ROOT}/fonts/" _in_fonts)
  foreach(_line IN LISTS _includes)
    if(_line MATCHES "[<\"](Q[A-Za-z]*|Qt[A-Za-z]*/[^>\"]*|gui/[^>\"]*|cli/[^>\"]*)[>\"]")
      set(_header "${CMAKE_MATCH_1}")
      if(_in_fonts EQUAL 0)
        if(_header MATCHES "^Qt(Gui|Core)/" OR _header IN_LIST _fonts_qt)
          continue()
        endif()
      endif()
      list(APPEND _bad "${_f}: ${_line}")
    endif()
  endforeach()
endforeach()
if(_bad)
  list(JOIN _bad "\n" _text)
  message(FATAL_ERROR "The core includes what it must not:\n${_text}")
endif()
message(STATUS "core: no Qt, gui/ or cli/ includes (fonts/: QtGui only)")
