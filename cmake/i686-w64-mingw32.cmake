# Cross build for 32-bit Windows with Debian's mingw-w64 (g++-mingw-w64-i686):
# the build that ships.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(BRINDLEWICK_MINGW_PREFIX i686-w64-mingw32)
# The processorArchitecture of side-by-side assemblies.
set(BRINDLEWICK_SXS_ARCH x86)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
