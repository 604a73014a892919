#!/bin/bash
# run.sh OUTDIR [DRIVER ARGS]: screenshots of every window of the real
# monitor with Slovak data, one PNG per window in OUTDIR (01-main.png,
# 02-cid.png, ...). The driver is a GoogleTest program: --gtest_filter=...
# among its arguments takes only some of the pictures (--gtest_list_tests
# names its parts).
#
# The Windows-side driver (target vx_screens, built beside Vestrix.exe,
# vestrix.lng and LINKOR.OCX) starts the monitor in a scratch program
# directory, opens one window after another and prints
#   READY <name> <left> <top> <width> <height>
# when a window shows; this script then takes the screen with ImageMagick's
# `import`, crops it to the window and answers the driver, which goes on.
# Everything runs in a Wine session of its own (tests/wine/session.sh) on an
# Xvfb of 1280x1024x24, which ends with it, wineserver included.
#
# Build first:
#   cmake --preset win64 && cmake --build --preset win64 --target vx_screens
# The build directory is build/win64 (build/win for VX_ARCH=win32), or
# VX_BUILD_DIR.
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
if [ $# -lt 1 ]; then
  echo "usage: $0 OUTDIR [DRIVER ARGS]" >&2
  exit 2
fi

if [ -z "${VX_SCREENS_SESSION:-}" ]; then
  mkdir -p "$1" || exit 1
  out=$(cd "$1" && pwd)
  export VX_SCREENS_SESSION=1 VX_SCREEN=1280x1024x24 VX_OWN_DISPLAY=1
  shift
  exec "$root/tests/wine/session.sh" "$here/run.sh" "$out" "$@"
fi

# ---- inside the session
out=$1
shift
case "$VX_ARCH" in
  win32) build=${VX_BUILD_DIR:-$root/build/win} ;;
  *) build=${VX_BUILD_DIR:-$root/build/win64} ;;
esac
driver=$build/bin/vx_screens.exe
if [ ! -f "$driver" ]; then
  echo "no $driver: build the target vx_screens first" >&2
  exit 1
fi
command -v import >/dev/null || { echo "ImageMagick's import is missing" >&2; exit 1; }

work=$(mktemp -d)
err=$work/driver.err
trap 'rm -rf "$work"' EXIT
coproc DRIVER { "$VX_WINE" "$driver" "$@" 2>"$err"; }
driver_pid=$DRIVER_PID
exec {to_driver}>&"${DRIVER[1]}" {from_driver}<&"${DRIVER[0]}"

# shoot GEOMETRY FILE: the screen's part once the X server shows it
# settled: two pictures alike, in more than one colour. Fails with 3 when
# it stays blank (one colour): the driver then paints the window again.
shoot() {
  local a=$work/a.png b=$work/b.png i
  import -display "$DISPLAY" -window root -crop "$1" +repage "$a" || return 1
  for i in $(seq 10); do
    sleep 0.2
    import -display "$DISPLAY" -window root -crop "$1" +repage "$b" || return 1
    if cmp -s "$a" "$b" && [ "$(identify -format %k "$b")" -gt 1 ]; then
      mv "$b" "$2"
      return 0
    fi
    mv "$b" "$a"
  done
  [ "$(identify -format %k "$a")" -gt 1 ] || { rm -f "$a"; return 3; }
  mv "$a" "$2"
}

shots=0
missing=0
screen_w=${VX_SCREEN%%x*}
rest=${VX_SCREEN#*x}
screen_h=${rest%%x*}
while :; do
  IFS= read -r -t 120 line <&"$from_driver"
  r=$?
  # A long silence: go on waiting while the driver runs.
  if [ $r -gt 128 ]; then
    kill -0 "$driver_pid" 2>/dev/null && continue
    break
  fi
  # The end of its output.
  [ $r -ne 0 ] && [ -z "$line" ] && break
  line=${line%$'\r'}
  case "$line" in
    READY\ *)
      read -r _ name x y w h <<<"$line"
      # Clip to the screen: import's crop takes no negative offsets.
      [ "$x" -lt 0 ] && { w=$((w + x)); x=0; }
      [ "$y" -lt 0 ] && { h=$((h + y)); y=0; }
      [ $((x + w)) -gt "$screen_w" ] && w=$((screen_w - x))
      [ $((y + h)) -gt "$screen_h" ] && h=$((screen_h - y))
      [ "$name" = "${last:-}" ] && tries=$((tries + 1)) || tries=0
      last=$name
      rc=1
      [ "$w" -gt 0 ] && [ "$h" -gt 0 ] && { shoot "${w}x${h}+${x}+${y}" "$out/$name.png"; rc=$?; }
      if [ $rc -eq 3 ] && [ $tries -lt 5 ]; then
        echo again >&"$to_driver"
        continue
      fi
      if [ $rc -eq 0 ]; then
        echo "$name.png  ${w}x${h}+${x}+${y}"
        shots=$((shots + 1))
      else
        echo "$name: no picture (${w}x${h}+${x}+${y})" >&2
        missing=$((missing + 1))
      fi
      echo next >&"$to_driver"
      ;;
    MISSING\ *)
      echo "${line#MISSING } did not show" >&2
      missing=$((missing + 1))
      ;;
    *) echo "$line" ;;
  esac
done
exec {to_driver}>&-
wait "$driver_pid"
rc=$?
grep -v ':fixme:' "$err" >&2
echo "$shots pictures in $out"
[ $missing -eq 0 ] || rc=1
exit $rc
