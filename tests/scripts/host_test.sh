#!/usr/bin/env bash
# The script host's own contract: arguments, exit codes and errors on stderr.
# Usage: host_test.sh BUILD_DIR
set -uo pipefail
build=$1
script=$build/tools/velsor-script/velsor-script
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export VELSOR_HOME=$work/home
failures=0
matches() {  # an empty pattern wants an empty file
  if [[ -z $1 ]]; then [[ ! -s $2 ]]; else grep -Eq "$1" "$2"; fi
}
expect() {  # expect NAME STATUS STDOUT-PATTERN STDERR-PATTERN PAGE [ARGS...]
  local name=$1 status=$2 out=$3 err=$4 page=$5
  shift 5
  printf '%s' "$page" >"$work/page.js"
  "$script" "$work/page.js" "$@" >"$work/out" 2>"$work/err"
  local got=$?
  if [[ $got != "$status" ]] || ! matches "$out" "$work/out" || ! matches "$err" "$work/err"; then
    echo "FAILED: $name (status $got)"; cat "$work/out" "$work/err"; failures=$((failures + 1))
  fi
}
expect "arguments" 0 '^2 first 第二$' '' \
  'WScript.Echo(WScript.Arguments.length, WScript.Arguments(0), WScript.Arguments(1));' first 第二
expect "quit" 7 '^before$' '' 'WScript.Echo("before"); WScript.Quit(7); WScript.Echo("after");'
expect "uncaught exception" 1 '' 'boom' 'throw new Error("boom");'
expect "unknown class" 1 '' 'cannot create No.Such.Class' 'new ActiveXObject("No.Such.Class");'
"$build/tools/velsor-regsvr/velsor-regsvr" "$build/src/module/OmbrelVelsor20_64.so" >/dev/null
expect "failing call" 1 '' '0x8002000E' \
  'var c = new ActiveXObject("Velsor.TolvaneVelsor20_64"); c.VLDetachedVerify("only one");'
expect "write-only property read" 1 '' 'can only be written' \
  'var c = new ActiveXObject("Velsor.TolvaneVelsor20_64.1"); var m = c.VLServerMode;'
expect "read-write property and method" 0 '^0 function$' '' \
  'var c = new ActiveXObject("Velsor.TolvaneVelsor20_64.1"); WScript.Echo(c.errorNum, typeof c.VLAttachedSign);'
expect "S_FALSE is no error" 0 '^-10001$' '' \
  'var c = new ActiveXObject("Velsor.TolvaneVelsor20_64.1"); c.VLAttachedSign("x"); WScript.Echo(c.errorNum);'
"$build/tools/velsor-regsvr/velsor-regsvr" -u "$build/src/module/OmbrelVelsor20_64.so" >/dev/null
expect "unregistered class" 1 '' 'cannot create' 'new ActiveXObject("Velsor.TolvaneVelsor20_64.1");'
exit $((failures > 0))
