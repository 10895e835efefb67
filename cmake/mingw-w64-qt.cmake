# The toolchain Qt itself is built with for 64-bit Windows (scripts/qt-windows.sh):
# the project's mingw-w64 compilers, but no Wine emulator (Qt's build runs no
# target programs) and no -static (Qt's own probes link plain programs).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QUELO_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QUELO_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUELO_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${QUELO_MINGW}-windres)
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${QUELO_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
