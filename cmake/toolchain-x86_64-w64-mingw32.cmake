# The 64-bit Windows build: the same sources as the shipped 32-bit program, so the Windows tests
# also run on machines that cannot execute 32-bit code. Its tests run under 64-bit Wine, started
# through scripts/wine64/wine (Debian's /usr/bin/wine prefers the 32-bit loader when both exist).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
get_filename_component(ZV_WINE "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine64/wine" ABSOLUTE)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
