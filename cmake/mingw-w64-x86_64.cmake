# Cross-compiling for 64-bit Windows with Debian's mingw-w64, posix thread model
# (std::thread and std::mutex need it). scripts/build-windows configures build-win/ with it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(BAROMON_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${BAROMON_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${BAROMON_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${BAROMON_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${BAROMON_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Nothing but system DLLs in the import table: the C++ runtime, libgcc and the
# thread library go into each program, so it runs on a Windows with nothing installed.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Tests and the programs the build runs go through Wine, in a prefix of the build tree
# (its first start takes seconds; later ones reuse it). No mono or gecko prompts.
find_program(BAROMON_WINE wine REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR
    /usr/bin/env;WINEDEBUG=-all;WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix;WINEDLLOVERRIDES=mscoree,mshtml=;${BAROMON_WINE})
