#!/bin/bash
# run.sh: builds the log-step benchmark natively (optimised, in
# build/bench-native) and as the Windows program of the bitness this machine
# runs (tests/bench/common/wine-bench.sh), and runs both, the Windows one
# under Wine in a test session of its own.
set -eu
root=$(cd "$(dirname "$0")/../../.." && pwd)
native=$root/build/bench-native
[ -f "$native/CMakeCache.txt" ] || cmake -S "$root" -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$native" --target bench_logstep >/dev/null
echo "native build ($(uname -m)):"
"$native/tests/bench/logstep/bench_logstep"
echo "Windows build under Wine:"
exec "$root/tests/bench/common/wine-bench.sh" bench_logstep ""
