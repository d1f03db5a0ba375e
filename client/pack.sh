#!/usr/bin/env bash
# Stages the npm package (this folder's package.json, README.md and type
# declarations, with the page's own client module, the one source) under the
# version CMakeLists.txt sets, and packs it:
#   client/pack.sh [DIR]   # DIR/fingerbridge-client-<version>.tgz, DIR defaults to dist
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-dist}")
version=$(sed -n 's/^project(fingerbridge VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp client/package.json client/README.md client/fingerbridge-client.d.ts frontend/biometric/js/fingerbridge-client.js "$stage/"
node -e 'const fs = require("fs"); const [file, version] = process.argv.slice(1);
  const p = JSON.parse(fs.readFileSync(file)); fs.writeFileSync(file, JSON.stringify({ name: p.name, version, ...p }, null, 2) + "\n");' \
  "$stage/package.json" "$version"
mkdir -p "$out"
(cd "$stage" && npm pack --silent --pack-destination "$out" >/dev/null)
echo "$out/fingerbridge-client-$version.tgz"
