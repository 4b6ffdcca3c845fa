#!/usr/bin/env bash
# The page scripts of tests/scripts run by cscript against the DLL under Wine, with the test
# PKI imported into Wine's stores, each compared with its Windows expectation in
# tests/windows/pages (tests/windows/pages/WINE.md says where and why that differs from the
# Linux one). Usage: scripts_test.sh REPO [PAGE...]; VELSOR_UPDATE_EXPECTED=1 rewrites them.
set -uo pipefail
repo=$1
shift
pages=("$@")
[[ ${#pages[@]} -eq 0 ]] && pages=(options signing envelopes)
work=$(mktemp -d)
source "$repo/tests/windows/wine_prefix.sh"
use_wine_prefix "$work"
trap 'stop_wine_prefix; rm -rf "$work"' EXIT
failures=0

"$repo/build/tests/scripts/install_test_pki" --export "$work/pki" || exit 1
(
  cd "$work/pki" || exit 1
  while read -r store rest; do
    # shellcheck disable=SC2086 # the line's words are the tool's arguments
    wine "$repo/build-windows/tests/windows/import_certificates.exe" "$store" $rest ||
      echo "FAILED: importing $store $rest"
  done <imports
) 2>&1 | grep -v '^wine: '
wine regsvr32 /s "$repo/build-windows/src/module/OmbrelVelsor20_64.DLL" || exit 1

cd "$work" || exit 1
windows_work=$(winepath -w "$work")
# The files the file page works on, and the user's answers to its dialogs (scripted, as on
# Linux), with the folder as Windows names it.
printf 'form file content' >a.txt
: >empty.txt
export VELSOR_UI=scripted VELSOR_UI_SCRIPT=$windows_work\\dialogs
for page in "${pages[@]}"; do
  ui=$repo/tests/scripts/$page.ui
  if [[ -f $ui ]]; then sed "s|@WORK@|$windows_work|g" "$ui" >dialogs; else : >dialogs; fi
  # ASCII with \u escapes, as cscript reads a script in the ANSI code page.
  python3 -c 'import sys; t = open(sys.argv[1], encoding="utf-8").read()
u = t.encode("utf-16-le"); units = [int.from_bytes(u[i:i + 2], "little") for i in range(0, len(u), 2)]
print("".join(chr(c) if c < 128 else "\\u%04x" % c for c in units), end="")' \
    "$repo/tests/scripts/$page.js" >"$page.js"
  mkdir -p saved
  wine cscript //nologo "$page.js" "$windows_work" "$(cat pki/alice.b64)" 2>&1 | tr -d '\r' \
    >"$page.actual"
  # What the page saved: text files with their content, others by name, as on Linux.
  for saved in saved/*; do
    [[ -e $saved ]] || continue
    if [[ $saved == *.txt ]]; then echo "saved ${saved##*/}: $(cat "$saved")"; else echo "saved ${saved##*/}"; fi
  done >>"$page.actual"
  rm -f saved/*
  expected=$repo/tests/windows/pages/$page.expected
  if [[ -n ${VELSOR_UPDATE_EXPECTED:-} ]]; then cp "$page.actual" "$expected"; fi
  if ! diff -u "$expected" "$page.actual"; then
    echo "FAILED: $page.js under Wine differs from tests/windows/pages/$page.expected"
    failures=$((failures + 1))
  fi
done
[[ $failures -eq 0 ]] && echo "page scripts under Wine: ok (${pages[*]})"
exit $((failures > 0))
