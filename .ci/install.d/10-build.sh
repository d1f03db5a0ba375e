#!/usr/bin/env bash
# The C++ build, GoogleTest, Google Benchmark, the Windows cross-compilers, and
# clang with its sanitizer and fuzzer runtimes for the fuzz targets.
set -euo pipefail
apt-get install -y -qq --no-install-recommends \
  cmake make g++ googletest libgtest-dev libgmock-dev libbenchmark-dev \
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix \
  clang libclang-rt-14-dev >/dev/null
