#!/bin/bash
# run.sh: builds the contacts-at-scale benchmark natively (optimised, in
# build/bench-native) and as the Windows program of a build this machine
# runs natively (tests/bench/common/wine-bench.sh), and runs both, the
# Windows one under Wine in a test session of its own.
set -eu
root=$(cd "$(dirname "$0")/../../.." && pwd)
native=$root/build/bench-native
[ -f "$native/CMakeCache.txt" ] || cmake -S "$root" -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$native" --target bench_contacts >/dev/null
"$native/tests/bench/contacts/bench_contacts"
exec "$root/tests/bench/common/wine-bench.sh" bench_contacts ""
