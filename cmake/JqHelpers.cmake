# Build helpers shared by the project's CMake files.

# Turns a string of hexadecimal digits into a C initialiser "{0x4E, 0x2B, ...}"
# after checking that it holds exactly `bytes` bytes.
function(jq_hex_initializer out hex bytes)
  string(REGEX REPLACE "[^0-9A-Fa-f]" "" digits "${hex}")
  string(LENGTH "${digits}" length)
  math(EXPR expected "${bytes} * 2")
  if(NOT length EQUAL expected)
    message(FATAL_ERROR "expected ${bytes} bytes of hexadecimal digits, got '${hex}'")
  endif()
  set(items "")
  math(EXPR last "${bytes} - 1")
  foreach(i RANGE ${last})
    math(EXPR at "${i} * 2")
    string(SUBSTRING "${digits}" ${at} 2 byte)
    list(APPEND items "0x${byte}")
  endforeach()
  list(JOIN items ", " joined)
  set(${out} "{${joined}}" PARENT_SCOPE)
endfunction()
