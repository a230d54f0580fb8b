# One interface target with the language standard and warnings; every target links it.
add_library(fernhold_options INTERFACE)
target_compile_features(fernhold_options INTERFACE cxx_std_20)
set(CMAKE_CXX_EXTENSIONS OFF)
if(NOT CMAKE_BUILD_TYPE AND NOT CMAKE_CONFIGURATION_TYPES)
    set(CMAKE_BUILD_TYPE RelWithDebInfo CACHE STRING "Build type" FORCE)
endif()
if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    target_compile_options(fernhold_options INTERFACE -Wall -Wextra -Wpedantic -Wno-missing-field-initializers
        -Wshadow $<$<COMPILE_LANGUAGE:CXX>:-Wold-style-cast> $<$<COMPILE_LANGUAGE:CXX>:-Wnon-virtual-dtor>)
    if(FERNHOLD_WERROR)
        target_compile_options(fernhold_options INTERFACE -Werror)
    endif()
    # GCC 12 at -O3 sees overlapping copies inside libstdc++'s "text" + std::string that cannot happen.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
        target_compile_options(fernhold_options INTERFACE -Wno-restrict)
    endif()
elseif(MSVC)
    # The sources hold Japanese text in UTF-8; MSVC would read them in the system code page.
    target_compile_options(fernhold_options INTERFACE /W4 /utf-8 /permissive- /Zc:__cplusplus)
    if(FERNHOLD_WERROR)
        target_compile_options(fernhold_options INTERFACE /WX)
    endif()
endif()
if(WIN32)
    # Wide-character Win32 calls everywhere; UTF-8 std::string inside the program.
    target_compile_definitions(fernhold_options INTERFACE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
endif()
if(MINGW)
    # One .exe without the MinGW runtime DLLs beside it. A program that links Qt sets
    # FERNHOLD_SHARED_RUNTIME instead: Qt's DLLs load the runtime DLLs anyway, and one copy of the
    # C++ runtime in the process is the sound arrangement.
    target_link_options(fernhold_options INTERFACE
        "$<$<NOT:$<BOOL:$<TARGET_PROPERTY:FERNHOLD_SHARED_RUNTIME>>>:-static;-static-libgcc;-static-libstdc++>")
endif()
if(FERNHOLD_SANITIZE)
    target_compile_options(fernhold_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_link_options(fernhold_options INTERFACE -fsanitize=address,undefined)
endif()
if(FERNHOLD_TSAN)
    target_compile_options(fernhold_options INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
    target_link_options(fernhold_options INTERFACE -fsanitize=thread)
endif()
find_package(Threads REQUIRED)
target_link_libraries(fernhold_options INTERFACE Threads::Threads)
