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

# A failed check: named, with the start of the last output ($work/out), and counted.
failures=0
fail() { echo "FAILED: $1"; [[ -f $work/out ]] && head -c 2000 "$work/out"; failures=$((failures + 1)); }

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

# A user with a key in MY under a root in ROOT, made with openssl in FOLDER and imported into
# the prefix's stores, as a user who signs has them. Usage: import_test_user FOLDER WINDOWS_BUILD
import_test_user() {
  local folder=$1 importer=$2/tests/windows/import_certificates.exe
  (cd "$folder" &&
    openssl req -x509 -newkey rsa:2048 -nodes -keyout root.key -out root.pem -days 30 \
      -subj "/C=CN/O=Velsor/CN=Test Root" -addext basicConstraints=critical,CA:TRUE \
      -addext keyUsage=critical,keyCertSign,cRLSign &&
    openssl req -newkey rsa:2048 -nodes -keyout user.key -out user.csr \
      -subj "/C=CN/O=Velsor/CN=Host Tester" &&
    printf 'keyUsage=digitalSignature,nonRepudiation,keyEncipherment\n' >user.ext &&
    openssl x509 -req -in user.csr -CA root.pem -CAkey root.key -set_serial 0x4321 -days 30 \
      -extfile user.ext -out user.pem &&
    openssl x509 -in root.pem -outform DER -out root.der &&
    openssl x509 -in user.pem -outform DER -out user.der &&
    openssl rsa -in user.key -traditional -outform DER -out user.key.der &&
    wine "$importer" ROOT root.der && wine "$importer" MY user.der user.key.der) >/dev/null 2>&1
}
