#!/bin/bash
# check-products.sh [DIR [i386|x86-64]]: the products are 32-bit Windows
# files (the x86_64 build of the same sources with x86-64): check that they
# are there, their PE headers, and the control's four self-registration
# exports.
dir=${1:-build/win/bin}
machine=${2:-i386}
if [ "$machine" = i386 ]; then bits=32 tools=i686-w64-mingw32; else bits=64 tools=x86_64-w64-mingw32; fi
pass=0 fail=0
ok() { pass=$((pass+1)); echo "ok   $1"; }
bad() { fail=$((fail+1)); echo "FAIL $1"; }
for f in Vestrix.exe LINKOR.OCX vestrix.lng; do
  [ -f "$dir/$f" ] && ok "$f exists" || bad "$f is missing"
done
for f in Vestrix.exe LINKOR.OCX; do
  if $tools-objdump -f "$dir/$f" 2>/dev/null | grep -q "file format pei-$machine"; then
    ok "$f is a $bits-bit PE file"
  else
    bad "$f is not a $bits-bit PE file"
  fi
done
exports=$($tools-objdump -p "$dir/LINKOR.OCX" 2>/dev/null | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p')
for e in DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer; do
  echo "$exports" | grep -qw "$e" && ok "LINKOR.OCX exports $e" || bad "LINKOR.OCX does not export $e"
done
if $tools-objdump -p "$dir/Vestrix.exe" 2>/dev/null | grep -q 'Subsystem.*0002'; then
  ok "Vestrix.exe is a GUI program"
else
  bad "Vestrix.exe is not a GUI program"
fi
echo "$pass passed, $fail failed"
[ "$fail" -eq 0 ]
