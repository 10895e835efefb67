# The toolchain Qt itself is built with for 64-bit Windows (scripts/qt-windows.sh):
# the project's mingw-w64 compilers, but no Wine emulator (Qt's build runs no
# target programs) and no -static (Qt's own probes link plain programs).
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-compilers.cmake)
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${QUELO_MINGW})
