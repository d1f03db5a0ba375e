#!/bin/sh
# Makes the wine prefix ($WINEPREFIX, else ~/.wine) when it does not exist yet.
# Usage: prepare-wine-prefix.sh WINE64 WINESERVER (from install.d/20-windows.sh)
set -eu
prefix=${WINEPREFIX:-$HOME/.wine}
[ -f "$prefix/system.reg" ] && exit 0
echo "creating the wine prefix $prefix"
# No Mono or Gecko: nothing here needs them, and their installers want a display.
# Wine's own processes must not hold this script's output open, or ctest waits for them.
WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all "$1" wineboot --init </dev/null >/dev/null 2>&1
"$2" -w
test -f "$prefix/system.reg"
