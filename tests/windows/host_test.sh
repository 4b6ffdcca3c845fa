#!/usr/bin/env bash
# velsor-host.exe and velsor.exe under Wine in a prefix of their own: the DLL registered
# with regsvr32, a user with a key in MY, one origin allowed with `velsor.exe bridge allow`,
# the host driven with framed requests (host_frames.py: a signature among them, its chooser
# answered as the user would), and `velsor.exe doctor` with the browsers' host keys as an
# installer writes them, then with one taken away. Run on a display (the chooser is a
# window): the Wine prefix starts its desktop on the display there is when it starts.
# Usage: host_test.sh REPO
set -uo pipefail
repo=$1
work=$(mktemp -d)
source "$repo/tests/windows/wine_prefix.sh"
use_wine_prefix "$work"
trap 'stop_wine_prefix; rm -rf "$work"' EXIT
windows=$repo/build-windows
velsor=$windows/tools/velsor/velsor.exe
host=$windows/tools/velsor-host/velsor-host.exe

wine regsvr32 /s "$windows/src/module/OmbrelVelsor20_64.DLL" || fail "regsvr32"
import_test_user "$work" "$windows" || fail "importing a user with a key"
wine "$velsor" bridge allow https://bank.example >"$work/out" 2>&1 || fail "velsor.exe bridge allow"
wine "$velsor" bridge list >"$work/out" 2>&1
grep -q $'^allowed\thttps://bank.example' "$work/out" || fail "velsor.exe bridge list"
python3 "$repo/tests/windows/host_frames.py" "$host" https://bank.example \
  "$windows/tests/windows/answer_chooser.exe" || fail "velsor-host.exe"

# The host keys of the three browsers, each naming a manifest of the host.
host_windows=$(wine winepath -w "$host" 2>/dev/null | tr -d '\r')
for browser in chrome firefox; do
  allowed='"allowed_origins": ["chrome-extension://fpkilmkpfceombilonhmapgmaeffblcf/"]'
  [[ $browser == firefox ]] && allowed='"allowed_extensions": ["bridge@velsor"]'
  python3 -c 'import json, sys
print(json.dumps({"name": "velsor.host", "description": "Velsor", "path": sys.argv[1],
                  "type": "stdio", **json.loads("{" + sys.argv[2] + "}")}))' \
    "$host_windows" "$allowed" >"$work/$browser.json"
done
for key in 'Google\Chrome' 'Microsoft\Edge' 'Mozilla'; do
  manifest=$work/chrome.json
  [[ $key == Mozilla ]] && manifest=$work/firefox.json
  wine reg add "HKCU\\Software\\$key\\NativeMessagingHosts\\velsor.host" /ve /d \
    "$(wine winepath -w "$manifest" 2>/dev/null | tr -d '\r')" /f >/dev/null 2>&1 || fail "reg add $key"
done
wine "$velsor" doctor >"$work/out" 2>&1 || fail "velsor.exe doctor finds a problem"
grep -q '^ok *Firefox: host manifest' "$work/out" || fail "the doctor checked Firefox's manifest"
wine reg delete 'HKCU\Software\Microsoft\Edge\NativeMessagingHosts\velsor.host' /f >/dev/null 2>&1
if wine "$velsor" doctor >"$work/out" 2>&1; then fail "velsor.exe doctor exits 0 without Edge's key"; fi
grep -q '^PROBLEM *Edge: no host registered' "$work/out" || fail "the doctor names Edge's key"

if [[ $failures -eq 0 ]]; then echo "velsor-host.exe and velsor.exe under Wine: ok"; else exit 1; fi
