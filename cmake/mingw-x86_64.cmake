# 64-bit Windows: the same code at full speed under wine64, on machines that
# cannot execute 32-bit x86 programs.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(JQ_MINGW_TRIPLET x86_64-w64-mingw32)
set(JQ_WINE_ARCH win64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
