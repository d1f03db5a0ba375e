#!/bin/sh
# Makes the wine prefix ($WINEPREFIX, else ~/.wine) when it does not exist yet.
# Usage: prepare_wine_prefix.sh WINE64 WINESERVER
set -eu
wine64=$1
wineserver=$2
prefix=${WINEPREFIX:-$HOME/.wine}
if [ -f "$prefix/system.reg" ]; then
  exit 0
fi
echo "creating the wine prefix $prefix"
# No Mono or Gecko: nothing here needs them, and their installers want a display.
# Wine's own processes must not hold this script's output open, or ctest waits for them.
WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all "$wine64" wineboot --init </dev/null >/dev/null 2>&1
"$wineserver" -w
test -f "$prefix/system.reg"
