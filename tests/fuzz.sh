#!/bin/bash
# A bounded libFuzzer run over the CAPI message dispatch (clang, ASan, UBSan).
# Usage: tests/fuzz.sh [seconds]
set -eu
cd "$(dirname "$0")/.."
secs=${1:-45}
CC=clang CXX=clang++ cmake --preset native -B build/fuzz -DVESTRIX_FUZZ=ON >/dev/null
cmake --build build/fuzz --target capi_dispatch_fuzz
corpus=build/fuzz/corpus
mkdir -p "$corpus"
build/fuzz/tests/unit/capi_fuzz/capi_dispatch_fuzz -max_total_time="$secs" -print_final_stats=1 "$corpus" 2>&1 | tail -n 12
