#!/usr/bin/env bash
# The wine suite: wine64 runs fingerbridge.exe and installs the MSIs that wixl builds and
# msiinfo reads (mingw-w64 comes with 10-build.sh).
set -euo pipefail
apt-get install -y -qq --no-install-recommends wine wine64 wixl msitools >/dev/null
# Wine's prefix is made here, once, so that make test does not spend its time on it.
wine64=$(command -v wine64 || echo /usr/lib/wine/wine64)
sh .ci/prepare-wine-prefix.sh "$wine64" "$(dirname "$wine64")/wineserver"
