#!/usr/bin/env bash
# Runs the browser suite against one build's fingerbridge:
#   run-suite.sh BINARY BUILD_DIR
# Exits 77 (reported by CTest as skipped) when Chromium, Node.js 20+ or
# playwright-core are missing and cannot be installed from here.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
repo="$(cd "$here/../.." && pwd)"
export FINGERBRIDGE_BINARY="$1" FINGERBRIDGE_BUILD_DIR="$2"
export CHROMIUM_PATH="${CHROMIUM_PATH:-/usr/bin/chromium}"
export PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1

skip() {
  echo "=== BROWSER SUITE SKIPPED: $* ==="
  echo "=== Install what it needs with: sudo bash .ci/install.d/30-browser.sh (CI does) ==="
  exit 77
}
have_tools() {
  [ -x "$CHROMIUM_PATH" ] && command -v node >/dev/null && command -v npm >/dev/null
}

if ! have_tools || [ ! -d "$here/node_modules/playwright-core" ]; then
  if [ "$(id -u)" = 0 ] && command -v apt-get >/dev/null; then
    echo "Installing what the browser suite needs (Chromium, Node.js, npm packages)..."
    (cd "$repo" && bash .ci/install.d/30-browser.sh) || echo "The installation failed."
  elif have_tools; then
    (cd "$here" && npm ci --no-audit --no-fund) || echo "npm ci failed."
  fi
fi
have_tools || skip "Chromium ($CHROMIUM_PATH), node or npm is missing"
node -e 'process.exit(Number(process.versions.node.split(".")[0]) >= 20 ? 0 : 1)' ||
  skip "Node.js $(node --version) is older than 20"
[ -d "$here/node_modules/playwright-core" ] || skip "the npm package playwright-core is not installed"
# The server serves ../frontend/ from its working directory, the build folder.
[ -f "$FINGERBRIDGE_BUILD_DIR/../frontend/biometric/scan.html" ] || {
  echo "The build folder $FINGERBRIDGE_BUILD_DIR must sit in the repository's root (../frontend/ is served)."
  exit 1
}

cd "$here"
# Port 8080 is shared with every other suite on this machine.
exec flock /tmp/fingerbridge-port8080.lock node --test --test-concurrency=1 ./*.test.js
