#!/bin/bash
# session.sh COMMAND...: runs COMMAND inside a Wine test session: a prefix of
# the tested build's bitness under build/wine, an Xvfb display, ACP 1250, and
# cleanup of everything started here (wineserver, Xvfb) however the command
# ends. The bitness is VX_ARCH (win32 or win64), else what tests/wine/arch.sh
# found this machine can run, natively or emulated. VX_WINE names the loader
# that matches it, and `wine` on PATH inside the session is that loader too: Debian's own `wine`
# starts the 32-bit loader wherever wine32 is installed, also for the x86_64
# build (and for its cscript and regsvr32, which then see the wrong registry).
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
export VX_ARCH=${VX_ARCH:-$("$here/arch.sh")}
# Where the processor has no 32-bit mode, the whole session runs emulated, in
# namespaces that end with it (emulate.sh).
if [ "$VX_ARCH" = win32 ] && [ -z "${VX_EMULATED:-}" ] && [ "$("$here/arch.sh" --how)" = emulated ]; then
  exec "$here/emulate.sh" "$0" "$@"
fi
export WINEARCH=$VX_ARCH
export WINEPREFIX=${VX_WINEPREFIX:-$root/build/wine/prefix-$VX_ARCH}
export WINEDEBUG=-all
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export LC_ALL=sk_SK.UTF-8
export VX_ROOT=$root
if [ "$VX_ARCH" = win32 ]; then loader=/usr/lib/wine/wine; else loader=/usr/lib/wine/wine64; fi
[ -x "$loader" ] || loader=$(command -v wine)
shims=$root/build/wine/bin-$VX_ARCH
mkdir -p "$shims"
for n in wine wine-stable wine64; do
  printf '#!/bin/sh\nexec %s "$@"\n' "$loader" >"$shims/$n"
  chmod +x "$shims/$n"
done
export PATH=$shims:$PATH
export VX_WINE=$shims/wine

xvfb_pid=
cleanup() {
  wineserver -k >/dev/null 2>&1
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" >/dev/null 2>&1
  [ -n "$xvfb_pid" ] && wait "$xvfb_pid" 2>/dev/null
}
trap cleanup EXIT INT TERM

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  "$VX_WINE" wineboot -i >/dev/null 2>&1 </dev/null
  wineserver -w
fi
# Wine links the prefix's Desktop, Documents and other user folders to the
# home folder. Tests write and clean up under the prefix; a recursive delete
# gone wrong there must not reach the user's files.
for l in "$WINEPREFIX"/drive_c/users/*/*; do
  if [ -L "$l" ]; then rm -f "$l" && mkdir -p "$l"; fi
done
# Wine's own fonts (Tahoma, and MS Sans Serif, the dialogs' font, whose
# code page 1250 sizes are bitmap fonts) lie in fonts-wine's folder, which
# this Wine does not search; without them every face falls back to DejaVu
# Sans, whose small sizes merge the accents of Slovak letters (ĺ reads l,
# Č reads Ċ).
for f in /usr/share/wine/fonts/*.ttf /usr/share/wine/fonts/*.fon; do
  [ -e "$f" ] && [ ! -e "$WINEPREFIX/drive_c/windows/Fonts/${f##*/}" ] &&
    cp "$f" "$WINEPREFIX/drive_c/windows/Fonts/"
done
# Without a window manager every hide waits for one; unmanaged windows don't.
if ! grep -q '"Managed"="N"' "$WINEPREFIX/user.reg" 2>/dev/null; then
  "$VX_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 </dev/null
  wineserver -w
fi

if [ -z "${DISPLAY:-}" ] || [ -n "${VX_OWN_DISPLAY:-}" ]; then
  fd=$(mktemp)
  Xvfb -displayfd 5 -screen 0 ${VX_SCREEN:-1024x768x24} -nolisten tcp 5>"$fd" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$fd" ] && break; sleep 0.05; done
  export DISPLAY=:$(head -n1 "$fd")
  rm -f "$fd"
fi

# The first Wine process starts services that inherit its output and never
# exit; start them here with nowhere to write.
"$VX_WINE" cmd /c exit >/dev/null 2>&1 </dev/null
"$@"
