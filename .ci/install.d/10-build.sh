#!/usr/bin/env bash
# The C++ build, GoogleTest, Google Benchmark, the Windows cross-compilers,
# iproute2 (suites on port 8080 bring up loopback in a network of their own), and
# clang with its sanitizer and fuzzer runtimes for the fuzz targets.
set -euo pipefail
apt-get install -y -qq --no-install-recommends \
  cmake make g++ googletest libgtest-dev libgmock-dev libbenchmark-dev \
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix \
  clang libclang-rt-14-dev iproute2 util-linux >/dev/null
