# Compiler settings shared by every target.
#
# Floating point: the renderer snaps screen coordinates to 1/16 pixel by adding and
# subtracting 786432 in single precision, and the loaders reproduce exact constants.
# Both break under contraction into fused multiply-adds or under -ffast-math, so
# contraction is off everywhere and fast-math is never used. We build for the plain
# x86-64 baseline: no -march flags.

add_compile_options(-Wall -Wextra -Wpedantic -Werror -ffp-contract=off)

# Debug information keeps the file and line of every instruction (stack traces,
# profiles, sanitizer reports) but not where each variable lives in optimised code:
# tracking that took GCC 60% of the compile time of the sixteen-wide spans under the
# sanitizers (200 s against 80 s) and a quarter of that of the tool's commands.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    add_compile_options(-fno-var-tracking)
endif()

if(EMBER_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all
                        -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()

# ThreadSanitizer, for what runs on more than one thread (the rasterising threads).
if(EMBER_THREAD_SANITIZE)
    add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
    add_link_options(-fsanitize=thread)
endif()

# Fuzzing: every library carries libFuzzer's coverage instrumentation and the
# sanitizers; only the fuzz programs link the fuzzer's main. The system's classes are
# built without run-time type information, which the vptr check needs.
if(EMBER_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "EMBER_FUZZ needs clang (use the fuzz preset)")
    endif()
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize=vptr
                        -fno-sanitize-recover=all -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()

# The system's own code (src/) follows the records-and-status-codes conventions:
# no exceptions, no run-time type information. Tools and tests may use both.
function(ember_system_library name)
    add_library(${name} STATIC ${ARGN})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_compile_options(${name} PRIVATE -fno-exceptions -fno-rtti)
endfunction()

# Records shared by all subsystems are header-only; this target carries the include path
# for code that needs the records but none of the operations.
add_library(ember_headers INTERFACE)
target_include_directories(ember_headers INTERFACE ${PROJECT_SOURCE_DIR}/src)

# Adds every listed subdirectory that exists, so a subsystem joins the build by having a
# CMakeLists.txt of its own.
function(ember_add_subdirectories)
    foreach(dir ${ARGN})
        if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt)
            add_subdirectory(${dir})
        endif()
    endforeach()
endfunction()
