# fernhold_add_test(NAME SOURCES ... LIBS ... [ARGS ...]): one GoogleTest executable and its CTest entry.
# Test programs go to build/tests, not into the program folder build/bin.
if(CMAKE_CROSSCOMPILING)
    # Debian ships GoogleTest's sources; build them for the target.
    if(NOT TARGET gtest_main)
        set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
        set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
        add_subdirectory(/usr/src/googletest/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    endif()
    set(FERNHOLD_GTEST_LIBS gtest gtest_main)
else()
    find_package(GTest REQUIRED)
    set(FERNHOLD_GTEST_LIBS GTest::gtest GTest::gtest_main)
endif()

# Tests of the Windows cross-build run under Wine, which shows the Linux file system as drive Z:.
set(FERNHOLD_TEST_HOST_ROOT "")
if(CMAKE_CROSSCOMPILING AND WIN32)
    set(FERNHOLD_TEST_HOST_ROOT "Z:")
endif()

add_library(fernhold_test_support INTERFACE)
target_include_directories(fernhold_test_support INTERFACE ${CMAKE_SOURCE_DIR}/tests)
target_compile_definitions(fernhold_test_support INTERFACE
    FERNHOLD_TEST_DATA_DIR="${FERNHOLD_TEST_HOST_ROOT}${CMAKE_SOURCE_DIR}/tests/data"
    FERNHOLD_LZH_SAMPLES_DIR="${FERNHOLD_TEST_HOST_ROOT}${CMAKE_SOURCE_DIR}/../shared/lzh-samples"
    FERNHOLD_BIN_DIR="${FERNHOLD_TEST_HOST_ROOT}${FERNHOLD_BIN_DIR}")

function(fernhold_add_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;ARGS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE fernhold_options fernhold_test_support ${ARG_LIBS} ${FERNHOLD_GTEST_LIBS})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    add_test(NAME ${name} COMMAND ${name} ${ARG_ARGS})
    set_tests_properties(${name} PROPERTIES TIMEOUT 900)
endfunction()
