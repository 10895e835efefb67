# What both mingw-w64 toolchain files share: Debian's 64-bit compilers (the
# posix thread variant: GoogleTest and Qt need std::thread), and packages,
# libraries and headers looked up only under the roots the including file names.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QUELO_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QUELO_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUELO_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${QUELO_MINGW}-windres)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
