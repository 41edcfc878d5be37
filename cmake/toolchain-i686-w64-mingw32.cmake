# The shipped 32-bit program; its tests run under 32-bit Wine (the system's `wine`).
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TOOLCHAIN_PREFIX i686-w64-mingw32)
set(ZV_WINE wine)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
