#!/usr/bin/env bash
# The C++ build, GoogleTest, Google Benchmark, and the Windows cross-compiler.
set -euo pipefail
apt-get install -y -qq --no-install-recommends \
  cmake make g++ googletest libgtest-dev libgmock-dev libbenchmark-dev \
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix >/dev/null
