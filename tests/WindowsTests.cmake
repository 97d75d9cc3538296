# The test suite of the Windows build: the system's own code and the Win32 layer, each
# test program run whole under Wine (one Wine start per program, not per case), inside a
# Wine prefix of the build directory that the first test makes.
#
# GoogleTest is built from Debian's sources package with the cross compiler, as the
# prebuilt library is for Linux.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
target_compile_options(gtest PRIVATE -w)
target_compile_options(gtest_main PRIVATE -w)

# Wine plays sound through ALSA; a home whose ALSA default is the null device gives the
# tests a wave output on machines without a sound card (Wine keeps no state there: the
# prefix is WINEPREFIX).
set(EMBER_WINE_PREFIX ${CMAKE_BINARY_DIR}/wine-prefix)
set(EMBER_WINE_HOME ${CMAKE_BINARY_DIR}/wine-home)
file(WRITE ${EMBER_WINE_HOME}/.asoundrc "pcm.!default { type null }\n")
set(EMBER_WINE_ENVIRONMENT "WINEPREFIX=${EMBER_WINE_PREFIX}" "HOME=${EMBER_WINE_HOME}"
    "EMBER_TESTDATA=${PROJECT_SOURCE_DIR}/tests/data")

# The windows test preset runs a failed program once more: the run's wineserver ends a
# few seconds after its last program, and a program starting at that moment loses it
# ("wine client error: recvmsg: Connection reset by peer") through no fault of its own.
#
# A fresh prefix takes Wine some seconds to make; the first test makes it alone, so that
# programs running side by side do not race to.
add_test(NAME wine_prefix COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} wineboot --init)
set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine ENVIRONMENT
                     "${EMBER_WINE_ENVIRONMENT}" TIMEOUT 120)

# ember_test(<name> [ON_DISPLAY] SOURCES <files...> LIBS <libraries...>)
# ON_DISPLAY: the program makes windows, one such test at a time. Every Wine program of a
# run shares one wineserver, whose desktop lives on the X display the first of them saw,
# so the whole run gets one display (scripts/test windows runs ctest under xvfb-run);
# without one, such tests skip.
function(ember_test name)
    cmake_parse_arguments(ARG "ON_DISPLAY" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
    target_compile_options(${name} PRIVATE -fno-rtti)
    add_test(NAME ${name} COMMAND ${name} --gtest_brief=1
             WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine
                         ENVIRONMENT "${EMBER_WINE_ENVIRONMENT}")
    if(ARG_ON_DISPLAY)
        set_tests_properties(${name} PROPERTIES RESOURCE_LOCK display)
    endif()
endfunction()

ember_add_subdirectories(platform math accel texture object fx anim render app player win32)
