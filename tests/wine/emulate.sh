#!/bin/bash
# emulate.sh COMMAND...: runs COMMAND where 32-bit Windows programs run on a
# machine whose processor has no 32-bit mode: in namespaces of its own (user,
# mount, pid) whose binfmt_misc hands i386 programs to qemu's user-mode
# emulation, and whose /usr/lib/wine holds the 32-bit Wine loader. Nothing
# outside changes: a plain `wine` there still starts the 64-bit loader. When
# COMMAND ends, the pid namespace ends with it, so no emulated process
# outlives it, and its mounts go with the last process.
#
#   emulate.sh --check   exits 0 when emulation is to be had here
#
# Needs qemu-i386 8 or newer (7.2 hangs when an emulated Wine process starts
# another one), the 32-bit loader (wine32:i386's, or the one .ci/setup
# unpacks aside) and binfmt_misc in a user namespace (Linux 6.7 or newer).
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
qemu=/usr/bin/qemu-i386
loader=/usr/lib/wine/wine
[ -x "$loader" ] || loader=/usr/local/lib/wine32-loader/wine
# An i386 ELF executable: machine 3 at offset 18, type 2 at 16.
magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'

usable() {
  local v
  [ -x "$qemu" ] && [ -x "$loader" ] || return 1
  v=$("$qemu" --version 2>/dev/null | sed -n 's/.*version \([0-9]*\).*/\1/p' | head -n1)
  [ "${v:-0}" -ge 8 ]
}

if [ "${1:-}" = --inside ]; then
  shift
  # pid 1 of the new namespaces: set them up, then become COMMAND.
  mount -t binfmt_misc none /proc/sys/fs/binfmt_misc 2>/dev/null || exit 125
  # F: qemu is opened now, so it serves every mount namespace below this.
  printf ':vx-i386:M::%s:%s:%s:F\n' "$magic" "$mask" "$qemu" \
    >/proc/sys/fs/binfmt_misc/register 2>/dev/null || exit 125
  if [ "$loader" != /usr/lib/wine/wine ]; then
    # A copy of the 64-bit folder with the 32-bit loader beside, mounted
    # over it: Wine starts new processes through the loader in that folder.
    lib=$root/build/wine/lib-emulated
    rm -rf "$lib" && mkdir -p "$lib" &&
      cp -a /usr/lib/wine/. "$lib/" && cp "$loader" "$lib/wine" &&
      mount --bind "$lib" /usr/lib/wine || exit 125
  fi
  export VX_EMULATED=$("$qemu" --version | sed -n 's/.*version \([0-9.]*\).*/qemu-i386 \1/p' | head -n1)
  exec "$@"
fi

usable || exit 125
if [ "${1:-}" = --check ]; then
  set -- true
  exec 2>/dev/null
fi
# --kill-child: should unshare itself be killed, the namespace goes too.
exec unshare --user --map-root-user --mount --pid --fork --mount-proc --kill-child \
  "$0" --inside "$@"
