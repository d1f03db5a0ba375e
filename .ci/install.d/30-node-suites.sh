#!/usr/bin/env bash
# The suites that run on Node.js, browser and client: Debian's Chromium,
# Node.js and npm where missing, and the suites' npm packages in tests/
# (playwright-core, which never downloads a browser; typescript, ajv, yaml and
# an OpenAPI validator).
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

cd tests
PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund
