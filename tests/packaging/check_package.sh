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
echo "package: $(stat -c %s "$deb") bytes, dbgsym: $(stat -c %s "$ddeb") bytes"
