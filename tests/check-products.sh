#!/bin/bash
# The products are 32-bit Windows files: check that they are there, their PE
# headers, and the control's four self-registration exports.
dir=${1:-build/win/bin}
pass=0 fail=0
ok() { pass=$((pass+1)); echo "ok   $1"; }
bad() { fail=$((fail+1)); echo "FAIL $1"; }
for f in Vestrix.exe LINKOR.OCX vestrix.lng; do
  [ -f "$dir/$f" ] && ok "$f exists" || bad "$f is missing"
done
for f in Vestrix.exe LINKOR.OCX; do
  if i686-w64-mingw32-objdump -f "$dir/$f" 2>/dev/null | grep -q 'file format pei-i386'; then
    ok "$f is a 32-bit PE file"
  else
    bad "$f is not a 32-bit PE file"
  fi
done
exports=$(i686-w64-mingw32-objdump -p "$dir/LINKOR.OCX" 2>/dev/null | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p')
for e in DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer; do
  echo "$exports" | grep -qw "$e" && ok "LINKOR.OCX exports $e" || bad "LINKOR.OCX does not export $e"
done
if i686-w64-mingw32-objdump -p "$dir/Vestrix.exe" 2>/dev/null | grep -q 'Subsystem.*0002'; then
  ok "Vestrix.exe is a GUI program"
else
  bad "Vestrix.exe is not a GUI program"
fi
echo "$pass passed, $fail failed"
[ "$fail" -eq 0 ]
