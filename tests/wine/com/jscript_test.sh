#!/bin/bash
# jscript_test.sh OCX SCRIPT EXPECTED: registers the control with regsvr32,
# runs the script with the cscript of the session (the build's bitness) and
# compares what it printed.
set -u
ocx=$(winepath -w "$1" 2>/dev/null)
script=$(winepath -w "$2" 2>/dev/null)
wine regsvr32 /s "$ocx" </dev/null >/dev/null 2>&1 || { echo "regsvr32 failed"; exit 1; }
out=$(wine cscript //nologo "$script" </dev/null 2>/dev/null | tr -d '\r')
rc=0
if [ "$out" != "$(cat "$3")" ]; then
  echo "cscript printed:"; echo "$out"
  echo "expected:"; cat "$3"
  rc=1
fi
wine regsvr32 /u /s "$ocx" </dev/null >/dev/null 2>&1
exit $rc
