# Cross build for Windows with the MinGW-w64 posix-thread compilers (the
# -win32 ones have no std::mutex). Included by the per-architecture toolchain
# files once they have set JQ_MINGW_TRIPLET (i686-w64-mingw32 or
# x86_64-w64-mingw32) and JQ_WINE_ARCH (win32 or win64).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${JQ_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${JQ_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${JQ_MINGW_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${JQ_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Tests run under Wine of the matching architecture, in the build tree's own
# prefix; cmake/run-windows-suite.sh reads the architecture from the cache.
set(JQ_WINE_ARCH ${JQ_WINE_ARCH} CACHE INTERNAL "Wine architecture of the test runs")
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh ${JQ_WINE_ARCH})
