#!/bin/bash
# Builds every toolchain and runs every test: native unit tests, a check of
# the products, the fuzzers, then the Windows programs and end-to-end checks
# under Wine against the 32-bit products: natively where this machine runs
# 32-bit programs, else under qemu's user-mode emulation. Only where neither
# can be had do they run against the x86_64 build of the same sources.
set -eu
cd "$(dirname "$0")/.."
arch=$(tests/wine/arch.sh)
how=$(tests/wine/arch.sh --how)
if [ "$arch" = win32 ]; then tested=win other=win64; else tested=win64 other=win; fi
for p in native win win64; do
  cmake --preset $p >/dev/null
done
cmake --build --preset native
cmake --build --preset $tested
# The other Windows build stays buildable; its programs are not run here.
cmake --build --preset $other --target Vestrix linkor_ocx vestrix_lng
ctest --preset native
tests/check-products.sh build/win/bin
tests/check-products.sh build/win64/bin x86-64
tests/fuzz.sh 45
if [ "$arch" != win32 ]; then
  echo "This machine cannot run 32-bit Windows programs: the 32-bit products were built and checked, not run; the tests run the x86_64 build."
elif [ "$how" = emulated ]; then
  echo "This machine cannot execute 32-bit programs: the tests run the 32-bit products under qemu user-mode emulation ($(/usr/bin/qemu-i386 --version | head -n1))."
else
  echo "The tests run the 32-bit products natively."
fi
VX_ARCH=$arch tests/wine/session.sh ctest --preset $tested
