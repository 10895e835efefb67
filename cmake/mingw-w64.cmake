# Cross-building the core, quelo-pack, the window program and their tests for 64-bit Windows with
# Debian's mingw-w64 (posix thread variant: GoogleTest needs std::thread).
# Tests run under Wine, in a prefix inside the build folder.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-compilers.cmake)
set(CMAKE_FIND_ROOT_PATH /usr/${QUELO_MINGW})
# The windows-qt preset: Qt for Windows built by scripts/qt-windows.sh, found in
# its cache folder ($QUELO_QT_WINDOWS or the default) as if under the mingw root.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QUELO_WITH_QT_WINDOWS QUELO_QT_WINDOWS)
if(QUELO_WITH_QT_WINDOWS)
  if(NOT QUELO_QT_WINDOWS)
    if(DEFINED ENV{QUELO_QT_WINDOWS})
      set(QUELO_QT_WINDOWS $ENV{QUELO_QT_WINDOWS})
    else()
      set(QUELO_QT_WINDOWS $ENV{HOME}/.cache/quelo/qt-6.4.2-mingw-w64)
    endif()
  endif()
  list(APPEND CMAKE_FIND_ROOT_PATH ${QUELO_QT_WINDOWS})
  list(APPEND CMAKE_PREFIX_PATH ${QUELO_QT_WINDOWS})
endif()
# No runtime DLLs to carry around: libstdc++, libgcc and winpthread go inside.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_CROSSCOMPILING_EMULATOR
    /usr/bin/env WINEDEBUG=-all WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix WINEDLLOVERRIDES=mscoree,mshtml=
    /usr/lib/wine/wine64)
