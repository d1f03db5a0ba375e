#!/usr/bin/env bash
# Runs the browser suite against one build's fingerbridge: run-suite.sh BINARY
# It installs nothing; exit 77 (CTest: skipped) says what is missing, and with
# CI=true a missing piece fails the run instead.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
# The server runs from tests/, where ../frontend/ is the repository's frontend.
export FINGERBRIDGE_BINARY="$1" FINGERBRIDGE_WORK_DIR="$(dirname "$here")"
export CHROMIUM_PATH="${CHROMIUM_PATH:-/usr/bin/chromium}"
PATH="$PATH:/usr/sbin:/sbin" # ip lives here, outside a normal user's PATH on Debian

missing=()
[ -x "$CHROMIUM_PATH" ] || missing+=("Chromium ($CHROMIUM_PATH)")
node -e 'process.exit(+process.versions.node.split(".")[0] >= 20 ? 0 : 1)' 2>/dev/null ||
  missing+=("Node.js 20+")
[ -d "$here/node_modules/playwright-core" ] || missing+=("playwright-core")
if [ ${#missing[@]} -gt 0 ]; then
  echo "Browser suite skipped, missing ${missing[*]}: run sudo bash .ci/install.d/30-browser.sh"
  [ "${CI:-}" = true ] && exit 1
  exit 77
fi

cd "$here"
suite=(node --test --test-concurrency=1 ./*.test.js)
# A private network namespace (Chromium included, node starts it) has a port 8080
# no other server can hold or answer on.
if unshare -rn true 2>/dev/null; then
  command -v ip >/dev/null || { echo "The browser suite needs ip (iproute2) to bring up loopback."; exit 1; }
  exec unshare -rn sh -c 'ip link set lo up && exec "$@"' sh "${suite[@]}"
fi
if (exec 3<>/dev/tcp/127.0.0.1/8080) 2>/dev/null; then
  echo "Port 8080 is taken and no private network namespace is possible (unshare -rn failed): stop that server first."
  exit 1
fi
echo "No private network namespace (unshare -rn failed); port 8080 is free, so the suite uses it."
exec "${suite[@]}"
