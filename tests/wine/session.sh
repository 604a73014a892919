#!/bin/bash
# session.sh COMMAND...: runs COMMAND inside a Wine test session: a fresh
# 32-bit prefix under build/wine, an Xvfb display, ACP 1250, and cleanup of
# everything started here (wineserver, Xvfb) however the command ends.
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
export WINEARCH=win64
export WINEPREFIX=${VX_WINEPREFIX:-$root/build/wine/prefix}
export WINEDEBUG=-all
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export LC_ALL=sk_SK.UTF-8
export VX_ROOT=$root

xvfb_pid=
cleanup() {
  wineserver -k >/dev/null 2>&1
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" >/dev/null 2>&1
  [ -n "$xvfb_pid" ] && wait "$xvfb_pid" 2>/dev/null
}
trap cleanup EXIT INT TERM

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  wine wineboot -i >/dev/null 2>&1 </dev/null
  wineserver -w
  # Without a window manager every hide waits for one; unmanaged windows don't.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 </dev/null
  wineserver -w
fi

if [ -z "${DISPLAY:-}" ] || [ -n "${VX_OWN_DISPLAY:-}" ]; then
  fd=$(mktemp)
  Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp 5>"$fd" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$fd" ] && break; sleep 0.05; done
  export DISPLAY=:$(head -n1 "$fd")
  rm -f "$fd"
fi

# The first Wine process starts services that inherit its output and never
# exit; start them here with nowhere to write.
wine cmd /c exit >/dev/null 2>&1 </dev/null
"$@"
