#!/usr/bin/env bash
# Run by a new user after the package is installed, with a certificate of their own: the
# example bank page, served on 127.0.0.1 from where the package put it, signs a transfer and
# verifies it in Chromium started through Debian's wrapper and in Firefox ESR, with no
# extension loaded and nothing registered by hand. Usage: installed_browsers.sh TESTS_COPY
# (a copy of the repository's tests/browser the user can read, under TESTS_COPY/tests).
set -euo pipefail
copy=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export VELSOR_UI=scripted VELSOR_UI_SCRIPT=$work/dialogs VELSOR_UI_RECORD=$work/record
# The chooser takes the first certificate at every signature.
for _ in $(seq 20); do printf 'select 0\nok\n'; done >"$VELSOR_UI_SCRIPT"
: >"$VELSOR_UI_RECORD"
status=0
for browser in chromium firefox; do
  read -r allowed other < <(python3 -c 'import socket
s=[socket.socket() for _ in range(2)]
[x.bind(("127.0.0.1",0)) for x in s]
print(*[x.getsockname()[1] for x in s])')
  velsor bridge allow "http://127.0.0.1:$allowed" >/dev/null
  rm -rf "$work/profile" && mkdir "$work/profile"
  echo "$browser:"
  if [[ $browser == chromium ]]; then
    VELSOR_INSTALLED=1 node "$copy/tests/browser/chromium_driver.mjs" "$copy" "$work/profile" \
      "$allowed" "$other" "$VELSOR_UI_RECORD" || status=1
  else
    VELSOR_INSTALLED=1 node --experimental-websocket --no-warnings \
      "$copy/tests/browser/firefox_driver.mjs" "$copy" "$work/profile" "$allowed" "$other" \
      "$VELSOR_UI_RECORD" /usr/lib/mozilla/native-messaging-hosts/velsor.host.json || status=1
  fi
done
exit $status
