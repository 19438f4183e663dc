# Cross build for 64-bit Windows (g++-mingw-w64-x86-64): the same Windows code,
# for testing under 64-bit Wine on machines that run no 32-bit programs. It is
# never shipped: the simulator and its SimConnect.dll are 32-bit.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(BRINDLEWICK_MINGW_PREFIX x86_64-w64-mingw32)
set(BRINDLEWICK_SXS_ARCH amd64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
