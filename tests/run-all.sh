#!/bin/bash
# Builds every toolchain and runs every test: native unit tests, a check of
# the 32-bit products, then the Windows programs and end-to-end checks under
# 64-bit Wine (the x86_64 build of the same sources).
set -eu
cd "$(dirname "$0")/.."
for p in native win win64; do
  cmake --preset $p >/dev/null
  cmake --build --preset $p
done
ctest --preset native
tests/check-products.sh build/win/bin
tests/fuzz.sh 45
tests/wine/session.sh ctest --preset win64
