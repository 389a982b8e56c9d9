# 32-bit Windows, the product: stdcall exports, 32-bit layouts.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(JQ_MINGW_TRIPLET i686-w64-mingw32)
set(JQ_WINE_ARCH win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
