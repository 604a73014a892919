#!/bin/bash
# run_monitor_serial.sh TEST.exe ADAPTER_SIM.py PTYMODEM.so [gtest args]
# Runs the monitor's serial end-to-end tests: the adapter simulator on a pty
# that the prefix sees as COM5, the Windows test program (which starts
# Vestrix.exe) under Wine with the null-modem preload, and a keeper that
# starts the simulator again after a test has unplugged it (the simulator
# ends on "quit") once the test asks for it by creating the file "plug".
# Everything started here is stopped however the test ends. Run inside
# tests/wine/session.sh.
set -u
exe=$1 sim=$2 preload=$3
shift 3
: "${WINEPREFIX:?run inside tests/wine/session.sh}"
work=$(mktemp -d)
link=$WINEPREFIX/dosdevices/com5
keeper_pid=

stop_sim() {
  local pid
  pid=$(cat "$work/sim.pid" 2>/dev/null) || return 0
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
}
cleanup() {
  touch "$work/stop"
  if [ -n "$keeper_pid" ]; then
    kill "$keeper_pid" 2>/dev/null
    wait "$keeper_pid" 2>/dev/null
  fi
  stop_sim
  # The simulator removes its link when it ends; a killed one may not.
  for _ in $(seq 50); do
    pid=$(cat "$work/sim.pid" 2>/dev/null)
    { [ -z "$pid" ] || ! kill -0 "$pid" 2>/dev/null; } && break
    sleep 0.1
  done
  rm -f "$link"
  rm -rf "$work"
}
trap cleanup EXIT INT TERM

keeper() {
  trap 'stop_sim; exit 0' TERM
  while [ ! -e "$work/stop" ]; do
    rm -f "$work/port"
    /usr/bin/python3 "$sim" --link "$link" --port-file "$work/port" --lifetime 280 &
    echo $! >"$work/sim.pid"
    wait $!
    rm -f "$work/port"
    # Unplugged: the port stays away until the test plugs it in again.
    while [ ! -e "$work/plug" ]; do
      [ -e "$work/stop" ] && return 0
      sleep 0.1
    done
    rm -f "$work/plug"
  done
}

mkdir -p "$WINEPREFIX/dosdevices"
keeper &
keeper_pid=$!
for _ in $(seq 200); do [ -s "$work/port" ] && break; sleep 0.05; done
[ -s "$work/port" ] || { echo "adapter simulator did not start"; exit 1; }
# The test reads the control port from here after every restart, creates
# "plug" to bring the adapter back, and counts the monitor's sound calls in
# the Wine trace it finds in "wine.err".
export VX_SIM_DIR=$work
LD_PRELOAD=$preload "${VX_WINE:-wine}" "$exe" "$@" </dev/null 2>"$work/wine.err"
rc=$?
grep -v ':trace:' "$work/wine.err" >&2
exit $rc
