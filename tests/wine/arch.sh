#!/bin/bash
# arch.sh: prints win32 when this machine runs 32-bit Windows programs under
# Wine, else win64. Finds out once per checkout: it builds a trivial 32-bit
# program, starts it in a fresh 32-bit prefix (which the 32-bit test session
# then goes on using) and keeps the answer in build/wine/arch.
# VX_ARCH=win32|win64 in the environment overrides the probe.
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
if [ -n "${VX_ARCH:-}" ]; then echo "$VX_ARCH"; exit 0; fi
cache=$root/build/wine/arch
if [ -s "$cache" ]; then cat "$cache"; exit 0; fi
mkdir -p "$root/build/wine"
answer=win64
loader=/usr/lib/wine/wine
probe=$root/build/wine/probe32.exe
if [ -x "$loader" ] && i686-w64-mingw32-gcc -O1 -o "$probe" "$root/tests/wine/probe/probe32.c" 2>/dev/null; then
  out=$(mktemp)
  (
    export WINEARCH=win32 WINEPREFIX=$root/build/wine/prefix-win32 WINEDEBUG=-all
    export WINEDLLOVERRIDES=mscoree,mshtml=
    # A prefix left from a failed probe or of the other bitness is useless.
    [ -f "$WINEPREFIX/system.reg" ] || rm -rf "$WINEPREFIX"
    # Output into a file, not a pipe: the first Wine process starts services
    # that inherit its descriptors and never exit.
    timeout 120 "$loader" "$probe" >"$out" 2>/dev/null </dev/null
    wineserver -k >/dev/null 2>&1
  )
  [ "$(tr -d '\r' <"$out")" = 32 ] && answer=win32
  rm -f "$out"
fi
echo "$answer" >"$cache"
echo "$answer"
