#!/bin/bash
# run.sh [BUILD_DIR]: builds the call-steps benchmark and runs it under Wine
# in a test session of its own. The build is the one of the bitness this
# machine runs (tests/wine/arch.sh: win32 -> build/win, win64 ->
# build/win64) unless BUILD_DIR names another. VX_BENCH_CALLS changes the
# number of calls (500).
set -eu
root=$(cd "$(dirname "$0")/../../.." && pwd)
arch=${VX_ARCH:-$("$root/tests/wine/arch.sh")}
if [ "$arch" = win32 ]; then preset=win; else preset=win64; fi
build=${1:-$root/build/$preset}
[ -f "$build/CMakeCache.txt" ] || cmake --preset $preset -B "$build" >/dev/null
cmake --build "$build" --target bench_callsteps >/dev/null
VX_ARCH=$arch VX_WINEPREFIX=${VX_WINEPREFIX:-$root/build/bench-prefix-$arch} \
  "$root/tests/wine/session.sh" wine "$build/bin/bench_callsteps.exe" --gtest_brief=1
