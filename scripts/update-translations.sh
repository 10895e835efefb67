#!/bin/sh
# Brings translations/quelo_*.ts up to date with the texts in the sources: new
# texts arrive unfinished (translate them with Qt Linguist), texts gone from the
# sources leave. The test "translations" fails until both hold.
#   scripts/update-translations.sh            update every .ts in translations/
#   scripts/update-translations.sh FILE.ts    update that file instead (a scratch copy), by its name quelo_<language>.ts
set -eu
cd "$(dirname "$0")/.."
LUPDATE=${LUPDATE:-$(command -v lupdate || echo /usr/lib/qt6/bin/lupdate)}
# Tr() and QUELO_TR_NOOP() are the core's translate() and QT_TRANSLATE_NOOP().
run() {
  "$LUPDATE" -silent -I . -locations none -no-obsolete -source-language ja -target-language "$1" \
    -tr-function-alias translate+=Tr,QT_TRANSLATE_NOOP+=QUELO_TR_NOOP \
    archive image pack platform strip tools ui -ts "$2"
}
if [ $# -ge 1 ]; then
  lang=$(basename "$1" .ts)
  run "${lang#quelo_}" "$1"
else
  for ts in translations/quelo_*.ts; do
    lang=${ts#translations/quelo_}
    run "${lang%.ts}" "$ts"
  done
fi
