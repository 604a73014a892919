#!/bin/bash
# wine-bench.sh TARGET BUILD_DIR ARGS...: builds the Windows benchmark TARGET
# and runs bin/TARGET.exe ARGS under Wine in a test session of its own. The
# build is the one of the bitness this machine runs (tests/wine/arch.sh:
# win32 -> build/win, win64 -> build/win64) unless BUILD_DIR (may be empty)
# names another. Used by the benchmarks' run.sh scripts.
set -eu
root=$(cd "$(dirname "$0")/../../.." && pwd)
target=$1
shift
arch=${VX_ARCH:-$("$root/tests/wine/arch.sh")}
if [ "$arch" = win32 ]; then preset=win; else preset=win64; fi
build=${1:-$root/build/$preset}
shift || true
[ -f "$build/CMakeCache.txt" ] || cmake --preset $preset -B "$build" >/dev/null
cmake --build "$build" --target "$target" >/dev/null
VX_ARCH=$arch VX_WINEPREFIX=${VX_WINEPREFIX:-$root/build/bench-prefix-$arch} \
  "$root/tests/wine/session.sh" wine "$build/bin/$target.exe" "$@"
