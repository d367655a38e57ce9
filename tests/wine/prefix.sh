#!/usr/bin/env bash
# Creates the Wine prefix of a cross build, once:
#   tests/wine/prefix.sh LOADER PREFIX
# Under qemu's emulation this takes minutes, so test.sh runs it in the
# background while the native tests run; run.sh then finds it made.
export WINEPREFIX="$2"
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG=-all
started=$SECONDS
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  "$1" wineboot --init >/dev/null 2>&1
fi
wineserver -w 2>/dev/null
echo "wine: prefix ready in $((SECONDS - started)) s"
[ -f "$WINEPREFIX/system.reg" ]
