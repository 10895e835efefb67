#!/bin/sh
# Brings translations/quelo_*.ts up to date with the texts in the sources: new
# texts arrive unfinished (translate them with Qt Linguist), texts gone from the
# sources leave. The test "translations" fails until both hold.
#   scripts/update-translations.sh            update every .ts in translations/
#   scripts/update-translations.sh OUT.ts     write the texts for translations/quelo_en.ts into OUT.ts instead
set -eu
cd "$(dirname "$0")/.."
LUPDATE=${LUPDATE:-$(command -v lupdate || echo /usr/lib/qt6/bin/lupdate)}
# Tr() and QUELO_TR_NOOP() are the core's translate() and QT_TRANSLATE_NOOP().
run() {
  "$LUPDATE" -silent -I . -locations none -no-obsolete -source-language ja -target-language "$1" \
    -tr-function-alias translate+=Tr,QT_TRANSLATE_NOOP+=QUELO_TR_NOOP \
    archive image pack platform tools ui -ts "$2"
}
if [ $# -ge 1 ]; then
  cp translations/quelo_en.ts "$1"
  run en "$1"
else
  for ts in translations/quelo_*.ts; do
    lang=${ts#translations/quelo_}
    run "${lang%.ts}" "$ts"
  done
fi
