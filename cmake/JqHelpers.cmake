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
# undecorated exports from the .def file and no "lib" prefix.
#
# The .def file names the 32-bit stdcall symbols (Name@bytes). On i686 the
# DLL is linked with --kill-at, which drops the decoration from the exported
# names, and dlltool -k makes an import library that keeps it on the symbols
# that stdcall callers reference while importing the undecorated names. x86-64
# has one calling convention and no decoration: there the decoration is taken
# out of a copy of the .def file and the linker's own import library serves.
function(jq_export_library target def)
  set_target_properties(${target} PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin
    LIBRARY_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin)
  if(NOT WIN32)
    return()
  endif()
  set_target_properties(${target} PROPERTIES PREFIX "" IMPORT_PREFIX "lib")
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    file(READ ${def} text)
    string(REGEX REPLACE "([A-Za-z0-9_]+)@[0-9]+( +@[0-9]+)" "\\1\\2" text "${text}")
    get_filename_component(name ${def} NAME)
    set(undecorated ${CMAKE_CURRENT_BINARY_DIR}/generated/${name})
    file(WRITE ${undecorated} "${text}")
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${def})
    target_sources(${target} PRIVATE ${undecorated})
    return()
  endif()
  target_sources(${target} PRIVATE ${def})
  target_link_options(${target} PRIVATE -Wl,--kill-at)
  find_program(JQ_DLLTOOL NAMES ${JQ_MINGW_TRIPLET}-dlltool dlltool REQUIRED)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${JQ_DLLTOOL} -k -d ${def} -D $<TARGET_FILE_NAME:${target}>
            -l $<TARGET_LINKER_FILE:${target}>
    VERBATIM)
endfunction()
