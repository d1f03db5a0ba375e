#!/usr/bin/env bash
# Runs the browser suite against a build's fingerbridge: run-suite.sh BINARY
# It installs nothing: what is missing is named, and the suite reported skipped
# (exit 77), or failed when CI=true.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
# The server runs from tests/, where ../frontend/ is the repository's frontend.
export FINGERBRIDGE_BINARY="$1" FINGERBRIDGE_WORK_DIR="$(dirname "$here")" PATH="$PATH:/usr/sbin:/sbin"
if [ ! -x /usr/bin/chromium ] || [ ! -d "$here/node_modules/playwright-core" ] ||
   ! node -e 'process.exit(+process.versions.node.split(".")[0] >= 20 ? 0 : 1)' 2>/dev/null; then
  echo "Browser suite skipped: Chromium, Node.js 20+ or playwright-core missing; run sudo bash .ci/install.d/30-browser.sh"
  [ "${CI:-}" = true ] && exit 1
  exit 77
fi
cd "$here"
suite=(node --test --test-concurrency=1 ./*.test.js)
# In a network namespace of its own (Chromium included), port 8080 can only be this suite's server.
if unshare -rn true 2>/dev/null && command -v ip >/dev/null; then
  exec unshare -rn sh -c 'ip link set lo up && exec "$@"' sh "${suite[@]}"
fi
if (exec 3<>/dev/tcp/127.0.0.1/8080) 2>/dev/null; then
  echo "Port 8080 is taken and no network namespace can be made: stop that server first."
  exit 1
fi
exec "${suite[@]}"
