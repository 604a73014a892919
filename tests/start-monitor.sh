#!/bin/bash
# Builds the monitor and starts it under Wine with its main window and tray
# icon: on the display in DISPLAY when there is one, else on a private Xvfb.
# It runs the 32-bit product: natively where this machine executes 32-bit
# programs, else under qemu's user-mode emulation (tests/wine/emulate.sh);
# only where neither can be had, the x86_64 build of the same sources. It
# says which. The monitor runs until its tray menu's exit entry (or Ctrl+C)
# ends it, with everything started here.
#
#   tests/start-monitor.sh                 build, then start
#   VX_NO_BUILD=1 tests/start-monitor.sh   start what is built
#   VX_MONITOR_DIR=DIR                     another program directory than build/monitor
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)

arch=$(tests/wine/arch.sh)
if [ "$arch" = win32 ]; then
  preset=win
  if [ "$(tests/wine/arch.sh --how)" = emulated ]; then
    echo "This machine cannot execute 32-bit programs: starting the 32-bit product (build/win) under qemu user-mode emulation."
  else
    echo "Starting the 32-bit product (build/win)."
  fi
else
  preset=win64
  echo "This machine cannot run 32-bit Windows programs: starting the x86_64 build (build/win64)."
fi
if [ -z "${VX_NO_BUILD:-}" ]; then
  cmake --preset $preset >/dev/null
  cmake --build --preset $preset --target Vestrix vestrix_lng linkor_ocx
fi

# A program directory of its own: the monitor keeps every data file beside
# the program (vestrix.ini, vestrix.log, vestrix.hst, ...).
prog=${VX_MONITOR_DIR:-$root/build/monitor}
mkdir -p "$prog"
cp build/$preset/bin/Vestrix.exe build/$preset/bin/vestrix.lng "$prog/"
echo "Program directory: $prog"
[ -f "$prog/vestrix.ini" ] || echo "(no vestrix.ini there: the built-in settings apply, with the ISDN card as the call source)"

run() {
  # What the Wine processes print (the sound library's complaints, the CAPI
  # library's debug lines, Wine's own messages) goes to a file in the
  # program directory; the terminal shows only this script's lines.
  out=$prog/wine.log
  : >"$out"
  # The main window embeds the Linkor control, which must be registered.
  wine regsvr32 /s "$(winepath -w "$ocx" 2>>"$out")" >>"$out" 2>&1 ||
    { echo "LINKOR.OCX could not be registered (see $out)" >&2; return 1; }
  cd "$prog"
  echo "Vestrix runs on display $DISPLAY; end it from its tray menu (Wine System Tray) or with Ctrl+C."
  echo "What Wine prints goes to $out."
  [ -n "${VX_PRIVATE_DISPLAY:-}" ] &&
    echo "That is a private Xvfb: look at it with  import -display $DISPLAY -window root shot.png"
  # A GUI program under Wine takes no notice of Ctrl+C: waited for in the
  # background, it leaves this shell free to end at Ctrl+C, and the session
  # then ends it with everything else it started.
  wine ./Vestrix.exe >>"$out" 2>&1 &
  wait $!
}
export -f run
export prog
export ocx=$root/build/$preset/bin/LINKOR.OCX
[ -n "${DISPLAY:-}" ] || export VX_PRIVATE_DISPLAY=1
VX_ARCH=$arch exec tests/wine/session.sh bash -c run
