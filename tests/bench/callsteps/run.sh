#!/bin/bash
# run.sh [BUILD_DIR]: builds the call-steps benchmark and runs it under Wine
# (tests/bench/common/wine-bench.sh: a build this machine runs
# natively unless BUILD_DIR names another). VX_BENCH_CALLS changes the number of
# calls (500).
exec "$(dirname "$0")/../common/wine-bench.sh" bench_callsteps "${1:-}" --gtest_brief=1
