#!/usr/bin/env bash
# A page script run with the desktop dialogs: the user clicks the first certificate in the
# chooser and OK, and the page signs with it. Run under a virtual X server.
# Usage: pick_and_sign_test.sh BUILD_DIR
set -euo pipefail
build=$1
here=$(dirname "$0")
work=$(mktemp -d)
trap 'kill "${page_pid:-}" 2>/dev/null || true; rm -rf "$work"' EXIT
export VELSOR_HOME=$work/home VELSOR_UI=gtk GSETTINGS_BACKEND=memory
"$build/tests/scripts/install_test_pki"
"$build/tools/velsor-regsvr/velsor-regsvr" "$build/src/module/OmbrelVelsor20_64.so" >/dev/null

"$build/tools/velsor-script/velsor-script" "$here/pick_and_sign.js" >"$work/out" 2>"$work/err" &
page_pid=$!
window=$(timeout 30 xdotool search --sync --name "请选择签名证书" | head -1)
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$window")"
# The dialog is 391 by 209 dialog units: the list's first row lies just under its header
# at the top of the list (12, 17); the OK button spans (326, 17) to (380, 31).
xdotool mousemove --window "$window" $((WIDTH * 160 / 391)) $((HEIGHT * 17 / 209 + 40)) click 1 \
  sleep 0.5 mousemove --window "$window" $((WIDTH * 353 / 391)) $((HEIGHT * 24 / 209)) click 1
wait "$page_pid"
expected=$'errorNum 0\nverified 0 picked by the user\nsigner C=CN, O=Velsor, OU=Testing, CN=Alice Zhang'
if [[ $(cat "$work/out") != "$expected" ]]; then
  echo "unexpected output:"; cat "$work/out" "$work/err"; exit 1
fi
