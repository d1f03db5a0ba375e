#!/usr/bin/env bash
# The browser suite: Debian's Chromium, Node.js and npm where missing, and the
# suite's npm packages (playwright-core only; it never downloads a browser).
set -euo pipefail
cd "$(dirname "$0")/../.."

packages=(chromium fonts-dejavu-core)
command -v node >/dev/null || packages+=(nodejs)
command -v npm >/dev/null || packages+=(npm)
if ! apt-get install -y -qq --no-install-recommends "${packages[@]}" >/dev/null; then
  # Run on its own (not from .ci/run), the package lists may not be there yet.
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${packages[@]}" >/dev/null
fi

cd tests/browser
PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund
