#!/bin/bash
# Builds every toolchain and runs every test: native unit tests, a check of
# the 32-bit products, the fuzzers, then the Windows programs and end-to-end
# checks under Wine: the 32-bit products themselves where this machine runs
# 32-bit Windows programs, else the x86_64 build of the same sources.
set -eu
cd "$(dirname "$0")/.."
arch=$(tests/wine/arch.sh)
if [ "$arch" = win32 ]; then tested=win; else tested=win64; fi
for p in native win win64; do
  cmake --preset $p >/dev/null
done
cmake --build --preset native
cmake --build --preset $tested
if [ "$arch" = win32 ]; then
  # The x86_64 build stays buildable; its programs are not run here.
  cmake --build --preset win64 --target Vestrix linkor_ocx
else
  cmake --build --preset win --target Vestrix linkor_ocx vestrix_lng
fi
ctest --preset native
tests/check-products.sh build/win/bin
tests/fuzz.sh 45
[ "$arch" = win32 ] ||
  echo "This machine cannot run 32-bit Windows programs: the 32-bit products were built and checked, not run; the tests run the x86_64 build."
VX_ARCH=$arch tests/wine/session.sh ctest --preset $tested
