# The 64-bit Windows build: the same sources as the shipped 32-bit program, so the Windows tests
# also run on machines that cannot execute 32-bit code. Its tests run under 64-bit Wine, started
# through scripts/wine64/wine (Debian's /usr/bin/wine prefers the 32-bit loader when both exist).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${TOOLCHAIN_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOOLCHAIN_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER  ${TOOLCHAIN_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
get_filename_component(_zv_wine64 "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine64/wine" ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${_zv_wine64})
