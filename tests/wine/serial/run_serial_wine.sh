#!/bin/bash
# run_serial_wine.sh TEST.exe ADAPTER_SIM.py PTYMODEM.so [gtest args]
# Starts the adapter simulator on a pty published as the prefix's COM5, runs
# the Windows test program under Wine with the null-modem preload, and stops
# the simulator however the test ends. Run inside tests/wine/session.sh.
set -u
exe=$1 sim=$2 preload=$3
shift 3
: "${WINEPREFIX:?run inside tests/wine/session.sh}"
work=$(mktemp -d)
link=$WINEPREFIX/dosdevices/com5
sim_pid=
cleanup() {
  if [ -n "$sim_pid" ]; then
    kill "$sim_pid" 2>/dev/null
    wait "$sim_pid" 2>/dev/null
  fi
  rm -f "$link"
  rm -rf "$work"
}
trap cleanup EXIT INT TERM
mkdir -p "$WINEPREFIX/dosdevices"
/usr/bin/python3 "$sim" --link "$link" --port-file "$work/port" --lifetime 200 &
sim_pid=$!
for _ in $(seq 200); do [ -s "$work/port" ] && break; sleep 0.05; done
[ -s "$work/port" ] || { echo "adapter simulator did not start"; exit 1; }
export VX_SIM_PORT=$(cat "$work/port")
LD_PRELOAD=$preload "${VX_WINE:-wine}" "$exe" "$@" </dev/null
