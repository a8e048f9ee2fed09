# Fails when a file under ROOT includes a Qt header or a header of gui/ or
# cli/: the core is shared by the window and the command-line tool and must
# not depend on either. Run by CTest (tests/CMakeLists.txt).
file(GLOB_RECURSE _files ${ROOT}/*.h ${ROOT}/*.cpp)
set(_bad "")
foreach(_f IN LISTS _files)
  file(STRINGS ${_f} _includes REGEX "^[ \t]*#[ \t]*include")
  foreach(_line IN LISTS _includes)
    if(_line MATCHES "[<\"](Q[A-Za-z]*|Qt[A-Za-z]*/[^>\"]*|gui/[^>\"]*|cli/[^>\"]*)[>\"]")
      list(APPEND _bad "${_f}: ${_line}")
    endif()
  endforeach()
endforeach()
if(_bad)
  list(JOIN _bad "\n" _text)
  message(FATAL_ERROR "The core includes what it must not:\n${_text}")
endif()
message(STATUS "core: no Qt, gui/ or cli/ includes")
