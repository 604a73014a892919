#!/bin/bash
# The products are 32-bit Windows programs: check their PE headers.
dir=${1:-build/win/bin}
pass=0 fail=0
check() {  # file, expected objdump format, what
  if i686-w64-mingw32-objdump -f "$dir/$1" 2>/dev/null | grep -q "file format $2"; then
    pass=$((pass+1)); echo "ok   $1 is $3"
  else
    fail=$((fail+1)); echo "FAIL $1 is not $3"
  fi
}
for f in $(cd "$dir" && ls *.exe *.dll *.ocx *.OCX 2>/dev/null); do
  check "$f" pei-i386 "a 32-bit PE file"
done
echo "$pass passed, $fail failed"
[ "$fail" -eq 0 ]
