# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (the "posix" thread model,
# which has std::thread). Programs link libgcc, libstdc++ and winpthreads statically, so
# that they need no DLL beyond the system's. Test programs run under Wine (wine-run).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(EMBER_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${EMBER_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${EMBER_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${EMBER_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${EMBER_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run)
