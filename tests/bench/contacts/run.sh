#!/bin/bash
# run.sh: builds the contacts-at-scale benchmark natively (optimised, in
# build/bench-native) and as the Windows program of the bitness this machine
# runs (tests/wine/arch.sh: win32 -> build/win, win64 -> build/win64), and
# runs both, the Windows one under Wine in a test session of its own.
set -eu
root=$(cd "$(dirname "$0")/../../.." && pwd)
native=$root/build/bench-native
[ -f "$native/CMakeCache.txt" ] || cmake -S "$root" -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$native" --target bench_contacts >/dev/null
"$native/tests/bench/contacts/bench_contacts"

arch=${VX_ARCH:-$("$root/tests/wine/arch.sh")}
if [ "$arch" = win32 ]; then preset=win; else preset=win64; fi
build=$root/build/$preset
[ -f "$build/CMakeCache.txt" ] || cmake --preset $preset >/dev/null
cmake --build "$build" --target bench_contacts >/dev/null
VX_ARCH=$arch VX_WINEPREFIX=${VX_WINEPREFIX:-$root/build/bench-prefix-$arch} \
  "$root/tests/wine/session.sh" wine "$build/bin/bench_contacts.exe"
