#!/bin/bash
# arch.sh [--how]: which build's Windows programs this machine runs under
# Wine. Prints win32 when the 32-bit products run (natively, or under qemu's
# user-mode emulation where the processor has no 32-bit mode: see
# emulate.sh), else win64. With --how it prints how they run instead: native
# or emulated.
#
# Finds out once per checkout: it builds a trivial 32-bit program, starts it
# in a fresh 32-bit prefix (which the 32-bit test session then goes on using),
# natively first, then emulated, and keeps the answer in build/wine/arch.
# VX_ARCH=win32|win64 in the environment overrides the bitness.
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
cache=$root/build/wine/arch

probe() {
  local probe=$root/build/wine/probe32.exe out how
  mkdir -p "$root/build/wine"
  i686-w64-mingw32-gcc -O1 -o "$probe" "$here/probe/probe32.c" 2>/dev/null || { echo "win64 native"; return; }
  out=$(mktemp)
  for how in native emulated; do
    (
      export WINEARCH=win32 WINEPREFIX=$root/build/wine/prefix-win32 WINEDEBUG=-all
      export WINEDLLOVERRIDES=mscoree,mshtml=
      # A prefix left from a failed probe or of the other bitness is useless.
      [ -f "$WINEPREFIX/system.reg" ] || rm -rf "$WINEPREFIX"
      # Output into a file, not a pipe: the first Wine process starts
      # services that inherit its descriptors and never exit.
      run='timeout 120 /usr/lib/wine/wine "$0" >"$1" 2>/dev/null </dev/null; wineserver -k >/dev/null 2>&1'
      if [ $how = native ]; then
        [ -x /usr/lib/wine/wine ] && bash -c "$run" "$probe" "$out"
      else
        "$here/emulate.sh" --check && "$here/emulate.sh" bash -c "$run" "$probe" "$out"
      fi
    )
    if [ "$(tr -d '\r' <"$out" 2>/dev/null)" = 32 ]; then
      rm -f "$out"
      echo "win32 $how"
      return
    fi
  done
  rm -f "$out"
  echo "win64 native"
}

if [ "${VX_ARCH:-}" = win64 ]; then
  if [ "${1:-}" = --how ]; then echo native; else echo win64; fi
  exit 0
fi
if [ ! -s "$cache" ]; then
  answer=$(probe)
  echo "$answer" >"$cache"
fi
read -r bits how <"$cache"
# 32-bit programs forced on a machine found to run none are tried natively.
[ "${VX_ARCH:-}" = win32 ] && [ "$bits" != win32 ] && bits=win32 how=native
if [ "${1:-}" = --how ]; then echo "$how"; else echo "$bits"; fi
