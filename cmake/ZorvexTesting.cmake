# GoogleTest from the Debian sources (no download); one helper per test executable.
set(ZV_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest source tree")

# Included at file scope: GoogleTest's module keeps the path of its discovery script in a
# variable that test registration in every later scope needs.
include(GoogleTest)

macro(zv_enable_gtest)
    if(NOT TARGET GTest::gtest_main)
        set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
        set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
        set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
        add_subdirectory(${ZV_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
        if(TARGET gtest)
            # GoogleTest's own literals must stay as they are.
            target_compile_options(gtest PRIVATE -fexec-charset=UTF-8 -w)
            target_compile_options(gtest_main PRIVATE -fexec-charset=UTF-8 -w)
        endif()
    endif()
endmacro()

# zv_add_gtest(<name> SOURCES ... LIBS ... [ENVIRONMENT VAR=VALUE ...] [PROPERTIES name value ...])
# Builds a GoogleTest executable and registers its cases; on Windows the cases run under Wine.
function(zv_add_gtest name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;ENVIRONMENT;PROPERTIES" ${ARGN})
    zv_enable_gtest()
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
    set(props "")
    if(ARG_ENVIRONMENT OR ARG_PROPERTIES)
        set(props PROPERTIES ${ARG_PROPERTIES})
    endif()
    if(ARG_ENVIRONMENT)
        list(APPEND props ENVIRONMENT "${ARG_ENVIRONMENT}")
    endif()
    gtest_discover_tests(${name}
        DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT 120
        TEST_PREFIX "${ZV_TEST_PREFIX}"
        WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
        ${props})
endfunction()

if(CMAKE_CROSSCOMPILING)
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
        set(ZV_TEST_PREFIX "win64.")
    else()
        set(ZV_TEST_PREFIX "win.")
    endif()
else()
    set(ZV_TEST_PREFIX "host.")
endif()

# Sources of a folder: its *.cpp, plus win32/*.cpp on Windows or posix/*.cpp elsewhere.
function(zv_folder_sources out dir)
    file(GLOB common CONFIGURE_DEPENDS ${dir}/*.cpp)
    if(WIN32)
        file(GLOB platform CONFIGURE_DEPENDS ${dir}/win32/*.cpp)
    else()
        file(GLOB platform CONFIGURE_DEPENDS ${dir}/posix/*.cpp)
    endif()
    set(${out} ${common} ${platform} PARENT_SCOPE)
endfunction()

# zv_add_fuzzer(<name> SOURCES ... LIBS ... CORPUS <dir> [SECONDS n] [RSS_MB n])
# A libFuzzer target and a bounded smoke run of it over a copy of its seed corpus, within RSS_MB
# megabytes of memory (2048 unless given).
function(zv_add_fuzzer name)
    cmake_parse_arguments(ARG "" "CORPUS;SECONDS;RSS_MB" "SOURCES;LIBS" ${ARGN})
    if(NOT ARG_SECONDS)
        set(ARG_SECONDS 20)
    endif()
    if(NOT ARG_RSS_MB)
        set(ARG_RSS_MB 2048)
    endif()
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    add_test(NAME fuzz.${name}
             COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=1
                     UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
                     ${PROJECT_SOURCE_DIR}/scripts/fuzz-smoke.sh $<TARGET_FILE:${name}>
                     ${ARG_CORPUS} ${ARG_SECONDS} ${ARG_RSS_MB})
endfunction()
