#!/bin/bash
# Bounded libFuzzer runs (clang, ASan, UBSan) of every reader of stored or
# received data and of the CAPI message dispatch, several at a time. Prints
# one line per target (name, executions, result) and fails when a target
# finds a crash, a broken invariant, a time-out or an out-of-memory; the
# input that did it is left in build/fuzz/artifacts.
# Usage: tests/fuzz.sh [seconds per target] [target...]
#   default 45 s each, every target; FUZZ_JOBS targets run at once (default:
#   the number of cores). With 8 cores the 19 targets take three rounds. The
#   rounds together stay within FUZZ_BUDGET seconds (default 150): with fewer
#   cores every target, the CAPI dispatch as much as any, gets less time.
set -eu
cd "$(dirname "$0")/.."
secs=${1:-45}
shift || true
jobs=${FUZZ_JOBS:-$(nproc)}
out=build/fuzz
CC=clang CXX=clang++ cmake --preset native -B $out -DVESTRIX_FUZZ=ON >/dev/null
t0=$(date +%s)
if ! cmake --build $out --target vx_fuzz_all >$out/build.log 2>&1; then
  tail -n 40 $out/build.log
  exit 1
fi
echo "fuzz build: $(($(date +%s) - t0)) s"

seeds=tests/unit/fuzz
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(capi_dispatch)
  for f in $seeds/targets/*.cpp; do targets+=("$(basename "$f" .cpp)"); done
fi
mkdir -p $out/logs $out/artifacts
budget=${FUZZ_BUDGET:-150}
rounds=$(((${#targets[@]} + jobs - 1) / jobs))
if [ $((secs * rounds)) -gt "$budget" ]; then
  secs=$((budget / rounds))
  [ "$secs" -ge 1 ] || secs=1
  echo "fuzz time: $secs s per target, $rounds rounds of $jobs"
fi
t1=$(date +%s)

run_one() {
  local t=$1 prog dirs=()
  if [ "$t" = capi_dispatch ]; then
    prog=$out/tests/unit/capi_fuzz/capi_dispatch_fuzz
  else
    prog=$out/tests/unit/fuzz/fuzz_$t
  fi
  mkdir -p $out/corpus/$t
  dirs=($out/corpus/$t)
  [ -d $seeds/corpus/$t ] && dirs+=($seeds/corpus/$t)
  [ -d $seeds/regress/$t ] && dirs+=($seeds/regress/$t)
  "$prog" -max_total_time="$secs" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix=$out/artifacts/$t- "${dirs[@]}" >$out/logs/$t.log 2>&1
  echo $? >$out/logs/$t.rc
}
export -f run_one
export out secs seeds
printf '%s\n' "${targets[@]}" | xargs -P "$jobs" -I{} bash -c 'run_one {}'
wall=$(($(date +%s) - t1))

failed=0
for t in "${targets[@]}"; do
  log=$out/logs/$t.log
  rc=$(cat $out/logs/$t.rc 2>/dev/null || echo 1)
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' $log | tail -n 1)
  [ -n "$execs" ] || execs=$(grep -o '^#[0-9]*' $log | tail -n 1 | tr -d '#')
  if [ "$rc" = 0 ]; then
    result=ok
  else
    failed=1
    if grep -q 'INVARIANT BROKEN' $log; then result="invariant broken"
    elif grep -q 'libFuzzer: timeout' $log; then result=timeout
    elif grep -q 'out-of-memory' $log; then result=out-of-memory
    else result=crash; fi
    art=$(sed -n 's/.*Test unit written to \(.*\)/\1/p' $log | tail -n 1)
    result="$result${art:+ ($art)}, see $log"
  fi
  printf '%-16s %12s execs  %s\n' "$t" "${execs:-0}" "$result"
done
echo "fuzzing: $wall s"
exit $failed
