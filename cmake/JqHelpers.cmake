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

# jq_export_library(<target> <def file>)
#
# A shipped shared library: into bin/ beside the programs; on Windows its
# undecorated stdcall exports from the .def file, no "lib" prefix, and an
# import library that keeps the @n decoration callers reference.
function(jq_export_library target def)
  set_target_properties(${target} PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin
    LIBRARY_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin)
  if(WIN32)
    target_sources(${target} PRIVATE ${def})
    set_target_properties(${target} PROPERTIES PREFIX "" IMPORT_PREFIX "lib")
    target_link_options(${target} PRIVATE -Wl,--kill-at)
    # The linker's import library would drop the @n decoration that stdcall
    # callers reference; dlltool -k keeps it on the symbols and imports the
    # undecorated names.
    find_program(JQ_DLLTOOL NAMES i686-w64-mingw32-dlltool dlltool REQUIRED)
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${JQ_DLLTOOL} -k -d ${def} -D $<TARGET_FILE_NAME:${target}>
              -l $<TARGET_LINKER_FILE:${target}>
      VERBATIM)
  endif()
endfunction()
