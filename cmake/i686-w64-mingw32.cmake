# Cross build for 32-bit Windows with Debian's mingw-w64 (g++-mingw-w64-i686).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(BRINDLEWICK_MINGW_PREFIX i686-w64-mingw32)
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
# host's locale.
find_program(BRINDLEWICK_WINE wine)
if(BRINDLEWICK_WINE)
  set(BRINDLEWICK_WINE_ENV
    WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix WINEARCH=win32 WINEDEBUG=-all
    "WINEDLLOVERRIDES=mscoree,mshtml=" LC_ALL=C.UTF-8)
  set(CMAKE_CROSSCOMPILING_EMULATOR env -u DISPLAY ${BRINDLEWICK_WINE_ENV} ${BRINDLEWICK_WINE})
endif()
