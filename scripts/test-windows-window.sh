#!/usr/bin/env bash
# Everything for Windows with the window program: quelo.exe built with mingw-w64
# against Qt for Windows from scripts/qt-windows.sh, the core's, the tool's and
# the window's tests under Wine, and an end-to-end run of quelo-sample.exe under
# Wine on Xvfb. scripts/test.sh runs it in place of the core-only Windows stage
# when that Qt is there.
#   scripts/test-windows-window.sh           skipped (one line, status 3) without the Qt cache
#   scripts/test-windows-window.sh --build   builds the Qt cache first when missing
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${QUELO_JOBS:-$(nproc)}
qt_windows=${QUELO_QT_WINDOWS:-$HOME/.cache/quelo/qt-6.4.2-mingw-w64}
if [ ! -f "$qt_windows/lib/cmake/Qt6Widgets/Qt6WidgetsConfig.cmake" ]; then
  if [ "${1:-}" != --build ]; then
    echo "Windows window stage skipped: no Qt for Windows in $qt_windows" \
         "(scripts/qt-windows.sh builds it, about 60 min on 2 cores; scripts/test.sh --windows-window does it first)"
    exit 3
  fi
  # 3: qtbase is there, only QtSvg could not be had; quelo builds without it.
  scripts/qt-windows.sh || [ $? = 3 ]
fi

cmake --preset windows-qt >/dev/null
# One Windows build holds everything: the core, quelo-pack, the window program,
# its sample and every test, so nothing is compiled twice for Windows.
cmake --build build-windows-qt -j"$jobs"
# What a user's system sees of the programs: imports, version, manifest, icon.
/usr/bin/python3 tests/packaging/check_windows_exe.py build-windows-qt

# Qt on Windows makes windows even offscreen, and Wine makes them on X: the
# tests run on a virtual screen (the offscreen plugin draws nothing there).
# One kept wineserver serves every test program.
xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
  set -euo pipefail
  export WINEPREFIX="$PWD/build-windows-qt/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  mkdir -p "$WINEPREFIX"
  # The build ran quelo-pack.exe in this prefix: its server may linger a few
  # seconds, and a kept one cannot start beside it.
  /usr/lib/wine/wineserver -k 2>/dev/null || true
  /usr/lib/wine/wineserver -p
  trap "/usr/lib/wine/wineserver -k 2>/dev/null || true" EXIT
  /usr/lib/wine/wine64 cmd /c exit >/dev/null 2>&1
  ctest --test-dir build-windows-qt -j"$1" --output-on-failure
' window-tests "$jobs"
# What Qt Test skipped, with the reason, so that it is not taken for passed.
echo "Window tests under Wine, skipped checks and totals:"
grep -h "^SKIP\|^Totals" build-windows-qt/Testing/Temporary/LastTest.log | sort | uniq -c || true

/usr/bin/python3 tests/e2e/quelo_wine_e2e.py build-windows-qt
