#!/bin/bash
# run.sh [BUILD_DIR]: builds the call-path benchmark and runs it under Wine
# (tests/bench/common/wine-bench.sh: a build this machine runs
# natively unless BUILD_DIR names another). VX_BENCH_CALLS changes the number of
# single calls (500), VX_BENCH_BOOK the size of the address book (10,000).
exec "$(dirname "$0")/../common/wine-bench.sh" bench_callpath "${1:-}" --gtest_brief=1
