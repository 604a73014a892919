#!/bin/bash
# run.sh [BUILD_DIR]: builds the CAPI call-path benchmark in BUILD_DIR (a
# win64 build directory, default build/win64) and runs it under Wine in a
# test session of its own, with the simulated controller in place of Wine's
# CAPI library. VX_BENCH_CALLS changes the number of calls (500).
set -eu
root=$(cd "$(dirname "$0")/../../.." && pwd)
build=${1:-$root/build/win64}
[ -f "$build/CMakeCache.txt" ] || cmake --preset win64 -B "$build" >/dev/null
cmake --build "$build" --target bench_capipath >/dev/null
WINEDLLOVERRIDES="mscoree,mshtml=;capi2032=n" VX_WINEPREFIX=${VX_WINEPREFIX:-$root/build/bench-prefix} \
  "$root/tests/wine/session.sh" wine "$build/bin/bench_capipath.exe" --gtest_brief=1
