#!/bin/bash
# Runs tests/start-monitor.sh (with what is built) in a scratch program
# directory and Wine prefix of its own, hands the monitor one call over UDP,
# ends it as Ctrl+C does, and checks that the terminal showed only the
# script's own lines while Wine's output went to wine.log.
set -u
root=$(cd "$(dirname "$0")/../../.." && pwd)
tmp=$(mktemp -d)
pid=
cleanup() {
  [ -n "$pid" ] && kill -INT -- "-$pid" 2>/dev/null
  [ -n "$pid" ] && wait "$pid" 2>/dev/null
  WINEPREFIX=$tmp/prefix wineserver -k >/dev/null 2>&1
  rm -rf "$tmp"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; echo "--- terminal:"; cat "$tmp/out"; exit 1; }

port=$(/usr/bin/python3 -c 'import socket; s=socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
mkdir -p "$tmp/prog"
printf 'isCAPI=0\r\nisCOM=0\r\nisnet=-1\r\nUDPserverport=%s\r\n' "$port" >"$tmp/prog/vestrix.ini"
# Its own session, as a terminal gives it: a process group of its own that
# Ctrl+C reaches whole, with SIGINT handled by default (a job that a script
# starts in the background would ignore it).
VX_NO_BUILD=1 VX_MONITOR_DIR=$tmp/prog VX_WINEPREFIX=$tmp/prefix /usr/bin/python3 -c '
import os, signal, sys
signal.signal(signal.SIGINT, signal.SIG_DFL)
os.setsid()
os.execv(sys.argv[1], sys.argv[1:])' "$root/tests/start-monitor.sh" >"$tmp/out" 2>&1 </dev/null &
pid=$!

for _ in $(seq 600); do
  grep -q "Štart programu" <(iconv -f CP1250 -t UTF-8 "$tmp/prog/vestrix.log" 2>/dev/null) && break
  kill -0 "$pid" 2>/dev/null || fail "the script ended before the monitor started"
  sleep 0.5
done
grep -q "Štart programu" <(iconv -f CP1250 -t UTF-8 "$tmp/prog/vestrix.log" 2>/dev/null) || fail "the monitor did not start"
# Ring once through the sound library, as at every call.
printf '0905123456;Port 1;10.12.2026;14:30:00;Ondrej Žiak;Čističky s.r.o.' | iconv -f UTF-8 -t CP1250 >"/dev/udp/127.0.0.1/$port"
for _ in $(seq 100); do
  [ -s "$tmp/prog/vestrix.hst" ] && break
  sleep 0.2
done
[ -s "$tmp/prog/vestrix.hst" ] || fail "the call did not reach vestrix.hst"
sleep 1

kill -INT -- "-$pid"
wait "$pid"
pid=
[ -f "$tmp/prog/wine.log" ] || fail "no wine.log in the program directory"
while IFS= read -r line; do
  case "$line" in
    "Starting the 32-bit product (build/win)." | \
    "This machine cannot execute 32-bit programs: starting the 32-bit product (build/win) under qemu user-mode emulation." | \
    "This machine cannot run 32-bit Windows programs: starting the x86_64 build (build/win64)." | \
    "Program directory: $tmp/prog" | \
    "Vestrix runs on display "*"; end it from its tray menu (Wine System Tray) or with Ctrl+C." | \
    "What Wine prints goes to $tmp/prog/wine.log." | \
    "That is a private Xvfb: look at it with  import -display "*" -window root shot.png") ;;
    *) fail "a line that is not the script's: $line" ;;
  esac
done <"$tmp/out"
grep -q "^Vestrix runs on display " "$tmp/out" || fail "the script did not say where the monitor runs"
echo "start-monitor.sh: the monitor took a call; the terminal showed only the script's $(wc -l <"$tmp/out") lines"
