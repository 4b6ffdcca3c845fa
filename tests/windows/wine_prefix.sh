# Sourced by the Wine tests: a Wine prefix of the test's own in FOLDER/prefix, made ready
# before the test's first command, with one wineserver kept for the whole test (by default
# the server stops a few seconds after each program and starts again with the next).
# Usage: use_wine_prefix FOLDER; stop_wine_prefix when the test ends.
use_wine_prefix() {
  export WINEPREFIX=$1/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  mkdir -p "$WINEPREFIX"
  wineserver -p
  command wine wineboot -i >/dev/null 2>&1
}

stop_wine_prefix() { wineserver -k 2>/dev/null; }

# Wine's loader has been seen, once in many runs, to fail to start a program at all
# ("ShellExecuteEx failed: Internal error") before any of the program's code ran; such a
# start is tried up to twice more. The program's output and error output come back together.
wine() {
  local output status attempt
  output=$(mktemp)
  for attempt in 1 2 3; do
    command wine "$@" >"$output" 2>&1
    status=$?
    grep -q '^ShellExecuteEx failed' "$output" || break
    echo "Wine did not start $1 (attempt $attempt)" >&2
    sleep 2
  done
  cat "$output"
  rm -f "$output"
  return $status
}
