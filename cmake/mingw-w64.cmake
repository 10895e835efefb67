# Cross-building the core, quelo-pack and their tests for 64-bit Windows with
# Debian's mingw-w64 (posix thread variant: GoogleTest needs std::thread).
# Tests run under Wine, in a prefix inside the build folder.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QUELO_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QUELO_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUELO_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${QUELO_MINGW}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${QUELO_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# No runtime DLLs to carry around: libstdc++, libgcc and winpthread go inside.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_CROSSCOMPILING_EMULATOR
    /usr/bin/env WINEDEBUG=-all WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix WINEDLLOVERRIDES=mscoree,mshtml=
    /usr/lib/wine/wine64)
