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

# jq_read_exports(<list header> <out>)
#
# The exports of a library's list header (include/<library>_exports.h), its
# "X(Name, ordinal, argumentBytes)" items, as a CMake list of
# "Name:ordinal:argumentBytes" in the header's order.
function(jq_read_exports header out)
  file(READ ${header} text)
  string(REGEX MATCHALL "X\\([A-Za-z0-9_]+, [0-9]+, [0-9]+\\)" items "${text}")
  set(exports "")
  foreach(item IN LISTS items)
    string(REGEX REPLACE "X\\(([A-Za-z0-9_]+), ([0-9]+), ([0-9]+)\\)" "\\1:\\2:\\3" export ${item})
    list(APPEND exports ${export})
  endforeach()
  if(NOT exports)
    message(FATAL_ERROR "${header} lists no exports")
  endif()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${header})
  set(${out} ${exports} PARENT_SCOPE)
endfunction()

# jq_export_names(<list header> <out>): the exports as "Name@ordinal", the
# form the interface checks take.
function(jq_export_names header out)
  jq_read_exports(${header} exports)
  set(names "")
  foreach(export IN LISTS exports)
    string(REPLACE ":" ";" fields ${export})
    list(GET fields 0 name)
    list(GET fields 1 ordinal)
    list(APPEND names "${name}@${ordinal}")
  endforeach()
  set(${out} ${names} PARENT_SCOPE)
endfunction()

# jq_export_library(<target> <list header>)
#
# A shipped shared library: into bin/ beside the programs; on Windows exactly
# the exports of its list, undecorated, at their ordinals, and no "lib" prefix.
#
# The module definition file is made from the list. On i686 it names the
# stdcall symbols (Name@bytes): the DLL is linked with --kill-at, which drops
# the decoration from the exported names, and dlltool -k makes an import
# library that keeps it on the symbols that stdcall callers reference while
# importing the undecorated names. x86-64 has one calling convention and no
# decoration, and the linker's own import library serves.
function(jq_export_library target list_header)
  set_target_properties(${target} PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin
    LIBRARY_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin)
  if(NOT WIN32)
    return()
  endif()
  set_target_properties(${target} PROPERTIES PREFIX "" IMPORT_PREFIX "lib")
  jq_read_exports(${list_header} exports)
  set(decorated NO)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(decorated YES)
  endif()
  set(text "; Made by the build from ${list_header}.\nLIBRARY ${target}.dll\nEXPORTS\n")
  foreach(export IN LISTS exports)
    string(REPLACE ":" ";" fields ${export})
    list(GET fields 0 name)
    list(GET fields 1 ordinal)
    list(GET fields 2 bytes)
    if(decorated)
      string(APPEND text "  ${name}@${bytes} @${ordinal}\n")
    else()
      string(APPEND text "  ${name} @${ordinal}\n")
    endif()
  endforeach()
  set(def ${CMAKE_CURRENT_BINARY_DIR}/generated/${target}.def)
  set(written "")
  if(EXISTS ${def})
    file(READ ${def} written)
  endif()
  if(NOT written STREQUAL text)
    file(WRITE ${def} "${text}")
  endif()
  target_sources(${target} PRIVATE ${def})
  if(NOT decorated)
    return()
  endif()
  target_link_options(${target} PRIVATE -Wl,--kill-at)
  find_program(JQ_DLLTOOL NAMES ${JQ_MINGW_TRIPLET}-dlltool dlltool REQUIRED)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${JQ_DLLTOOL} -k -d ${def} -D $<TARGET_FILE_NAME:${target}>
            -l $<TARGET_LINKER_FILE:${target}>
    VERBATIM)
endfunction()
