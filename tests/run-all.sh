#!/bin/bash
# Builds every toolchain and runs every test: native unit tests, a check of
# the 32-bit products, then the Windows programs and end-to-end checks under
# 64-bit Wine (the x86_64 build of the same sources).
set -eu
cd "$(dirname "$0")/.."
for p in native win win64; do
  cmake --preset $p >/dev/null
done
cmake --build --preset native
# The 32-bit build is the product; its test programs could not run here.
cmake --build --preset win --target Vestrix linkor_ocx vestrix_lng
cmake --build --preset win64
ctest --preset native
tests/check-products.sh build/win/bin
tests/fuzz.sh 45
tests/wine/session.sh ctest --preset win64
