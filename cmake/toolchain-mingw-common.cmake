# What both mingw-w64 toolchains share; the including file sets TOOLCHAIN_PREFIX, the processor
# and ZV_WINE, the Wine loader its tests run under.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER   ${TOOLCHAIN_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOOLCHAIN_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER  ${TOOLCHAIN_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# Test programs run under that Wine through wine-test.sh, which explains a failure to start.
get_filename_component(_zv_wine_test "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-test.sh" ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR bash ${_zv_wine_test} ${ZV_WINE})
