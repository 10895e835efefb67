#!/usr/bin/env bash
# Builds the Debian package of a build tree into a scratch folder and checks what
# a user installs: stripped programs, and a quelo-sample that still carries its
# pack (listed by the packaged quelo-pack), with the debug symbols in -dbgsym.
set -euo pipefail
build=$1
for tool in cpack dpkg-deb file; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is missing"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$work"/out/quelo_*.deb)
ddeb=$(ls "$work"/out/quelo-dbgsym_*.ddeb) || fail "no -dbgsym package"
dpkg-deb -x "$deb" "$work/root"
dpkg-deb -x "$ddeb" "$work/dbg"

for prog in quelo quelo-pack quelo-sample; do
  kind=$(file -b "$work/root/usr/bin/$prog")
  case $kind in *ELF*", stripped"*) ;; *) fail "$prog is not a stripped program: $kind" ;; esac
  echo "$prog: $(stat -c %s "$work/root/usr/bin/$prog") bytes"
done
# Each stripped program names its symbols by build id; they are in -dbgsym.
for prog in quelo quelo-pack; do
  id=$(readelf -n "$work/root/usr/bin/$prog" | sed -n 's/.*Build ID: *//p')
  [ -f "$work/dbg/usr/lib/debug/.build-id/${id:0:2}/${id:2}.debug" ] || fail "no debug symbols for $prog ($id)"
done
# The sample's pack survived packaging: the definition and 13 images.
list=$("$work/root/usr/bin/quelo-pack" --list "$work/root/usr/bin/quelo-sample") || fail "quelo-sample carries no pack"
[ "$(grep -c '\.psd\|\.ico' <<<"$list")" = 13 ] || fail "quelo-sample's pack lost images: $list"
grep -q '!quelo.ini' <<<"$list" || fail "quelo-sample's pack lost its definition"
# Debian policy: a copyright file naming the licences of what is compiled in and linked.
copyright=$work/root/usr/share/doc/quelo/copyright
[ -f "$copyright" ] || fail "no /usr/share/doc/quelo/copyright"
for licence in "License: LGPL-3" "License: MIT or public-domain" "GCC-exception-3.1" "License: LGPL-2.1+"; do
  grep -qF "$licence" "$copyright" || fail "the copyright file lacks $licence"
done
# The desktop entry hands quelo one path (it opens one pack) and offers it for no file type.
entry=$work/root/usr/share/applications/quelo.desktop
grep -qx 'Exec=quelo %f' "$entry" || fail "the desktop entry does not start quelo with one path: $(grep Exec "$entry")"
! grep -q '^MimeType=' "$entry" || fail "the desktop entry offers quelo for file types: $(grep MimeType "$entry")"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$entry" || fail "desktop-file-validate refuses the desktop entry"
else
  echo "desktop-file-validate is missing (desktop-file-utils): the entry's syntax is not checked"
fi
echo "package: $(stat -c %s "$deb") bytes, dbgsym: $(stat -c %s "$ddeb") bytes"
