#!/usr/bin/env bash
# velsor-host.exe under Wine in a prefix of its own: the DLL registered with regsvr32, one
# origin allowed in the user's registry as `velsor bridge allow` keeps it on Windows, and
# the host driven with framed requests (host_frames.py). Usage: host_test.sh REPO
set -uo pipefail
repo=$1
work=$(mktemp -d)
source "$repo/tests/windows/wine_prefix.sh"
use_wine_prefix "$work"
trap 'stop_wine_prefix; rm -rf "$work"' EXIT
windows=$repo/build-windows
wine regsvr32 /s "$windows/src/module/OmbrelVelsor20_64.DLL" || { echo "FAILED: regsvr32"; exit 1; }
wine reg add 'HKCU\Software\Velsor\Bridge\Origins\https://bank.example' /ve /d allowed /f \
  >/dev/null || { echo "FAILED: allowing the origin"; exit 1; }
python3 "$repo/tests/windows/host_frames.py" "$windows/tools/velsor-host/velsor-host.exe" \
  https://bank.example
