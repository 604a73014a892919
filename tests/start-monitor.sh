#!/bin/bash
# Builds the monitor and starts it under Wine with its main window and tray
# icon: on the display in DISPLAY when there is one, else on a private Xvfb.
# The monitor runs until its tray menu's exit entry (or Ctrl+C) ends it.
#
#   tests/start-monitor.sh            build, then start
#   VX_NO_BUILD=1 tests/start-monitor.sh   start what is built
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)

if [ -z "${VX_NO_BUILD:-}" ]; then
  # The 32-bit product and the 64-bit build that this machine's Wine runs.
  for p in win win64; do
    cmake --preset $p >/dev/null
    cmake --build --preset $p --target Vestrix vestrix_lng linkor_ocx
  done
fi

# A program directory of its own: the monitor keeps every data file beside
# the program (vestrix.ini, vestrix.log, vestrix.hst, ...).
prog=$root/build/monitor
mkdir -p "$prog"
cp build/win64/bin/Vestrix.exe build/win64/bin/vestrix.lng "$prog/"
echo "Program directory: $prog"
[ -f "$prog/vestrix.ini" ] || echo "(no vestrix.ini there: the built-in settings apply)"

run() {
  # The main window embeds the Linkor control, which must be registered.
  wine regsvr32 /s "$(winepath -w "$ocx")" || { echo "LINKOR.OCX could not be registered" >&2; return 1; }
  cd "$prog"
  echo "Vestrix runs on display $DISPLAY; end it from its tray menu (Wine System Tray) or with Ctrl+C."
  wine ./Vestrix.exe
}
export -f run
export prog
export ocx=$root/build/win64/bin/LINKOR.OCX
exec tests/wine/session.sh bash -c run
