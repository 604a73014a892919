#!/bin/bash
# wine-bench.sh TARGET BUILD_DIR ARGS...: builds the Windows benchmark TARGET
# and runs bin/TARGET.exe ARGS under Wine in a test session of its own. The
# build is one this machine runs natively: the 32-bit products (build/win)
# where it executes 32-bit programs, else the x86_64 build (build/win64), as
# figures under emulation say nothing about real hardware; BUILD_DIR (may be
# empty) names another. It says which build it measured. Used by the
# benchmarks' run.sh scripts.
set -eu
root=$(cd "$(dirname "$0")/../../.." && pwd)
target=$1
shift
arch=${VX_ARCH:-$("$root/tests/wine/arch.sh")}
[ "$arch" = win32 ] && [ "$(VX_ARCH=$arch "$root/tests/wine/arch.sh" --how)" = emulated ] && arch=win64
if [ "$arch" = win32 ]; then preset=win; else preset=win64; fi
build=${1:-$root/build/$preset}
shift || true
[ -f "$build/CMakeCache.txt" ] || cmake --preset $preset -B "$build" >/dev/null
cmake --build "$build" --target "$target" >/dev/null
if [ "$arch" = win32 ]; then what="the 32-bit build"; else what="the x86_64 build"; fi
echo "$target: $what in $build, run natively under Wine"
VX_ARCH=$arch VX_WINEPREFIX=${VX_WINEPREFIX:-$root/build/bench-prefix-$arch} \
  "$root/tests/wine/session.sh" wine "$build/bin/$target.exe" "$@"
