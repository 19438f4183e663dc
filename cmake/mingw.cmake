# Cross build for Windows with Debian's mingw-w64; included by the toolchain
# files i686-w64-mingw32.cmake (shipped) and x86_64-w64-mingw32.cmake (tests),
# which set CMAKE_SYSTEM_PROCESSOR and BRINDLEWICK_MINGW_PREFIX.
set(CMAKE_SYSTEM_NAME Windows)

# The win32 thread model: the posix one's winpthreads imports GetTickCount64,
# which Windows XP, where FSX runs, lacks. GoogleTest gets a port for it
# (cmake/gtest-win32).
set(CMAKE_C_COMPILER ${BRINDLEWICK_MINGW_PREFIX}-gcc-win32)
set(CMAKE_CXX_COMPILER ${BRINDLEWICK_MINGW_PREFIX}-g++-win32)
set(CMAKE_RC_COMPILER ${BRINDLEWICK_MINGW_PREFIX}-windres)
set(CMAKE_AR ${BRINDLEWICK_MINGW_PREFIX}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${BRINDLEWICK_MINGW_PREFIX}-ranlib CACHE FILEPATH "")
find_program(BRINDLEWICK_DLLTOOL ${BRINDLEWICK_MINGW_PREFIX}-dlltool REQUIRED)
find_program(BRINDLEWICK_OBJDUMP ${BRINDLEWICK_MINGW_PREFIX}-objdump REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${BRINDLEWICK_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The program must run where only Windows' own DLLs (and SimConnect.dll) are:
# the C and C++ runtimes go into the executable.
# No build time in the headers: the same sources make the same package.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp")
# Release builds ship: no symbol tables (half the size).
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")

# Test programs run under Wine, when it is installed (scripts/test-windows
# installs it): in a prefix of the build's own, quietly, with no display,
# without the Mono and Gecko installers, and in code page 1252 whatever the
# host's locale. A 64-bit build runs under Debian's wine64, which installs no
# command on the PATH.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86")
  find_program(BRINDLEWICK_WINE wine)
  set(BRINDLEWICK_WINEARCH win32)
else()
  find_program(BRINDLEWICK_WINE wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
  set(BRINDLEWICK_WINEARCH win64)
endif()
if(BRINDLEWICK_WINE)
  set(BRINDLEWICK_WINE_ENV
    WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix WINEARCH=${BRINDLEWICK_WINEARCH} WINEDEBUG=-all
    "WINEDLLOVERRIDES=mscoree,mshtml=" LC_ALL=C.UTF-8)
  set(CMAKE_CROSSCOMPILING_EMULATOR env -u DISPLAY ${BRINDLEWICK_WINE_ENV} ${BRINDLEWICK_WINE})
endif()
