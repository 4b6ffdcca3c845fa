#!/usr/bin/env bash
# The whole browser road in Debian's Chromium or Firefox ESR, headless: the extension,
# velsor-host and the module, with a fresh user data folder and browser profile. Usage:
#   browser_test.sh BUILD_DIR [chromium|firefox] [--bench CALLS]
# With --bench it times CALLS signatures through the browser and the same in velsor-script.
set -euo pipefail
build=$(cd "$1" && pwd)
shift
browser=chromium
if [[ ${1:-} == chromium || ${1:-} == firefox ]]; then browser=$1; shift; fi
repo=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export VELSOR_HOME=$work/home VELSOR_UI=scripted VELSOR_UI_SCRIPT=$work/dialogs
export VELSOR_UI_RECORD=$work/record
"$build/tests/scripts/install_test_pki"
"$build/tools/velsor-regsvr/velsor-regsvr" "$build/src/module/OmbrelVelsor20_64.so" >/dev/null

# Two free ports: the page the user allowed and one they did not.
read -r allowed other < <(python3 -c 'import socket
s=[socket.socket() for _ in range(2)]
[x.bind(("127.0.0.1",0)) for x in s]
print(*[x.getsockname()[1] for x in s])')
velsor=$build/tools/velsor/velsor
"$velsor" bridge allow "http://127.0.0.1:$allowed" >/dev/null
mkdir -p "$work/profile"
if [[ $browser == chromium ]]; then
  "$velsor" bridge install --browser chromium --profile "$work/profile" \
    --host "$build/tools/velsor-host/velsor-host" >/dev/null
  manifest=$work/profile/NativeMessagingHosts/velsor.host.json
else
  # Firefox reads host manifests only from the user's home.
  export HOME=$work/user
  "$velsor" bridge install --browser firefox --host "$build/tools/velsor-host/velsor-host" >/dev/null
  manifest=$HOME/.mozilla/native-messaging-hosts/velsor.host.json
fi

# Every host process reads these answers afresh: the chooser takes the first row, the
# first confirmation is allowed and the second denied.
{
  for _ in $(seq 200); do printf 'select 0\nok\n'; done
  printf 'allow\ndeny\n'
} >"$VELSOR_UI_SCRIPT"
: >"$VELSOR_UI_RECORD"
if [[ $browser == chromium ]]; then
  node "$repo/tests/browser/chromium_driver.mjs" "$repo" "$work/profile" "$allowed" "$other" \
    "$VELSOR_UI_RECORD" "$@"
else
  node --experimental-websocket --no-warnings "$repo/tests/browser/firefox_driver.mjs" "$repo" \
    "$work/profile" "$allowed" "$other" "$VELSOR_UI_RECORD" "$manifest" "$@"
fi
if [[ ${1:-} == --bench ]]; then
  echo "velsor-script: $("$build/tools/velsor-script/velsor-script" "$repo/bench/pages/sign_loop.js" "$2") ms a VLSetPlainText + VLAttachedSign"
fi
