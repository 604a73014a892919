#!/bin/bash
# run.sh [BUILD_DIR]: builds the CAPI call-path benchmark and runs it under
# Wine (tests/bench/common/wine-bench.sh: a build this
# machine runs natively unless BUILD_DIR names another), with the simulated controller
# in place of Wine's CAPI library. VX_BENCH_CALLS changes the number of
# calls (500).
export WINEDLLOVERRIDES="mscoree,mshtml=;capi2032=n"
exec "$(dirname "$0")/../common/wine-bench.sh" bench_capipath "${1:-}" --gtest_brief=1
