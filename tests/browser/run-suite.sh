#!/usr/bin/env bash
# The suites on Node.js: run-suite.sh FINGERBRIDGE SERVER_TESTS. The npm package, packed and installed
# as web developers get it: tsc --strict over client/example.ts; docs/openapi.yaml against the replies
# of an in-process run of the reply table; the page and the client in Chromium; the browser policies.
# It installs nothing: what is missing is named, and the suite reported skipped (77), or failed when CI=true.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
tests="$(dirname "$here")"
export FINGERBRIDGE_BINARY="$1" FINGERBRIDGE_WORK_DIR="$tests" PATH="$PATH:/usr/sbin:/sbin"
if [ ! -x /usr/bin/chromium ] || [ ! -d "$tests/node_modules/playwright-core" ] || [ ! -x "$tests/node_modules/.bin/tsc" ] ||
   ! node -e 'process.exit(+process.versions.node.split(".")[0] >= 20 ? 0 : 1)' 2>/dev/null ||
   ! unshare -rmn true 2>/dev/null || ! command -v ip >/dev/null; then
  echo "Node.js suites skipped: Chromium, Node.js 20+, the npm packages of tests/ (sudo bash" \
       ".ci/install.d/30-node-suites.sh) or namespaces of their own (unshare -rmn, iproute2) missing"
  [ "${CI:-}" = true ] && exit 1
  exit 77
fi
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
tarball=$(bash "$tests/../client/pack.sh" "$scratch") || exit 1
cp "$tests/client/example.ts" "$scratch/"
(cd "$scratch" && npm install --no-save --no-audit --no-fund --offline "$tarball" >/dev/null &&
  "$tests/node_modules/.bin/tsc" --strict --noEmit --target es2022 --module es2022 --moduleResolution bundler \
    --lib es2022,dom example.ts) || exit 1
echo "tsc --strict: client/example.ts compiles against $(basename "$tarball"), and its expected errors hold"
export FINGERBRIDGE_CLIENT_MODULE="$scratch/node_modules/fingerbridge-client/fingerbridge-client.js"
export FINGERBRIDGE_REPLY_LOG="$scratch/replies.json"
(cd "$tests" && "$2" --gtest_filter='Respond.*' >/dev/null) || exit 1
suite=(node --test --test-concurrency=1 "$tests/client/openapi.test.js" "$here/fingerbridge.test.js")
# The policy test writes Chromium's managed policy folder: alone, over a tmpfs of its own on /etc/chromium.
policy=(env FINGERBRIDGE_OWN_POLICY_FOLDER=/etc/chromium/policies/managed node --test "$here/policy.test.js")
# In a network namespace of its own (Chromium included), port 8080 can only be this suite's server.
unshare -rn sh -c 'ip link set lo up && exec "$@"' sh "${suite[@]}" || exit 1
exec unshare -rmn sh -c 'mount -t tmpfs tmpfs /etc/chromium && ip link set lo up && exec "$@"' sh "${policy[@]}"
