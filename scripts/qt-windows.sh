#!/usr/bin/env bash
# Builds Qt 6.4.2 for 64-bit Windows (static, mingw-w64) from Debian's own
# source packages, for quelo.exe: qtbase (Core, Gui, Widgets, Test, the windows,
# offscreen and minimal platform plugins, the image plugins) and qtsvg.
# The result goes to $QUELO_QT_WINDOWS (default ~/.cache/quelo/qt-6.4.2-mingw-w64);
# a part already there is not built again, so a second run does nothing.
#
# The sources come through apt with a private sources list and state folder, so
# the system's apt configuration is left alone; apt checks each file's hash
# against the signed index.
#
#   scripts/qt-windows.sh                 build what is missing (about 60 min on 2 cores)
#   scripts/qt-windows.sh --configure-only   fetch and configure qtbase, build nothing
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")/.."
src_dir=$PWD
prefix=${QUELO_QT_WINDOWS:-$HOME/.cache/quelo/qt-6.4.2-mingw-w64}
work=${QUELO_QT_WINDOWS_WORK:-$HOME/.cache/quelo/qt-windows-work}
jobs=${QUELO_JOBS:-$(nproc)}
configure_only=
[ "${1:-}" = --configure-only ] && configure_only=1
started=$(date +%s)
toolchain=$src_dir/cmake/mingw-w64-qt.cmake

have_base() { [ -f "$prefix/lib/cmake/Qt6Widgets/Qt6WidgetsConfig.cmake" ]; }
have_svg() { [ -f "$prefix/lib/cmake/Qt6Svg/Qt6SvgConfig.cmake" ]; }

if have_base && have_svg; then
  echo "Qt for Windows is already in $prefix ($(du -sh "$prefix" | cut -f1)); nothing to do."
  exit 0
fi

for tool in x86_64-w64-mingw32-g++-posix ninja cmake dpkg-source; do
  command -v $tool >/dev/null || { echo "qt-windows.sh: $tool is missing (scripts/deps.sh installs it)" >&2; exit 1; }
done
# moc, rcc and uic of the host's Qt build the Windows Qt: the same version is needed.
host_version=$(dpkg-query -W -f='${Version}' qt6-base-dev 2>/dev/null || true)
case $host_version in
  6.4.2*) ;;
  *) echo "qt-windows.sh: needs the host's qt6-base-dev 6.4.2 (found '${host_version:-none}')" >&2; exit 1 ;;
esac

# fetch PACKAGE: Debian's source of PACKAGE, unpacked in $work/src, with its
# folder printed. Only the private list is read and written.
apt_private=(-o Dir::Etc::SourceList="$work/apt/sources.list" -o Dir::Etc::SourceParts="$work/apt/sources.list.d"
             -o Dir::State::Lists="$work/apt/lists" -o Dir::Cache="$work/apt/cache"
             -o Dir::State::Status=/var/lib/dpkg/status -o APT::Sandbox::User=root)
fetch() {
  local package=$1 version=$2
  mkdir -p "$work/apt/sources.list.d" "$work/apt/lists/partial" "$work/apt/cache/archives/partial" "$work/src"
  if [ ! -f "$work/apt/sources.list" ]; then
    echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm main" \
      >"$work/apt/sources.list"
    apt-get "${apt_private[@]}" -qq update >&2
  fi
  # Each step is checked here: a caller testing the result turns errexit off.
  (cd "$work/src" && apt-get "${apt_private[@]}" -qq source --download-only "$package=$version" >&2) || return 1
  local dsc=$work/src/${package}_${version#*:}.dsc dir=$work/src/$package
  rm -rf "$dir"
  dpkg-source -x "$dsc" "$dir" >&2 || return 1
  echo "$dir"
}

qt_switches=(-G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix"
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
  -DBUILD_SHARED_LIBS=OFF -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF)

if ! have_base; then
  base=$(fetch qt6-base "$host_version")
  # Debian leaves out the tablet header wintab.h (not free): tablet events go,
  # with -DFEATURE_tabletevent=OFF below. The Windows plugin's software-GL
  # check uses OpenGL types even when OpenGL is off; quelo draws with raster only.
  file=$base/src/plugins/platforms/windows/qwindowswindow.cpp
  grep -q '^#if QT_CONFIG(dynamicgl)$' "$file"
  sed -i '/^static inline bool isSoftwareGl()$/,/^}/ s/^#if QT_CONFIG(dynamicgl)$/#if QT_CONFIG(dynamicgl) \&\& QT_CONFIG(opengl)/' "$file"
  grep -q '^#if QT_CONFIG(dynamicgl) && QT_CONFIG(opengl)$' "$file"
  rm -rf "$work/build-base"
  cmake -S "$base" -B "$work/build-base" "${qt_switches[@]}" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_opengl=OFF -DFEATURE_printsupport=OFF \
    -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_openssl=OFF -DFEATURE_vulkan=OFF \
    -DFEATURE_system_zlib=OFF -DFEATURE_optimize_size=ON -DFEATURE_tabletevent=OFF
  if [ -n "$configure_only" ]; then
    echo "qtbase configured in $work/build-base ($(( $(date +%s) - started )) s); --configure-only: stopping here."
    exit 0
  fi
  cmake --build "$work/build-base" -j"$jobs"
  cmake --install "$work/build-base" >/dev/null
fi

if ! have_svg; then
  svg_version=$(dpkg-query -W -f='${Version}' qt6-svg-dev 2>/dev/null || echo 6.4.2-2)
  if ! svg=$(fetch qt6-svg "$svg_version"); then
    # qtbase stays usable: exit 3 tells the caller that only QtSvg is missing.
    echo "qt-windows.sh: Debian's qt6-svg $svg_version source could not be fetched (see apt's message above);" \
         "Qt for Windows has no QtSvg." >&2
    exit 3
  fi
  rm -rf "$work/build-svg"
  # Qt's own toolchain file finds the Qt above and loads the mingw one.
  cmake -S "$svg" -B "$work/build-svg" "${qt_switches[@]}" \
    -DCMAKE_TOOLCHAIN_FILE="$prefix/lib/cmake/Qt6/qt.toolchain.cmake" -DQT_CHAINLOAD_TOOLCHAIN_FILE="$toolchain"
  cmake --build "$work/build-svg" -j"$jobs"
  cmake --install "$work/build-svg" >/dev/null
fi

echo "Qt for Windows built into $prefix in $(( ($(date +%s) - started) / 60 )) min $(( ($(date +%s) - started) % 60 )) s;" \
     "size $(du -sh "$prefix" | cut -f1)."
