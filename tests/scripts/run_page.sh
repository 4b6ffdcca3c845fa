#!/usr/bin/env bash
# Runs one page script the way a user would: a fresh VELSOR_HOME with the test PKI, the
# module registered, the script run by velsor-script with the scripted dialog host, and
# its output compared with PAGE.expected. With "machine", the module is registered for the
# whole machine (in a machine folder of the test's own) and the user registers nothing, as
# after installing the package. Usage: run_page.sh BUILD_DIR PAGE.js [machine]
set -euo pipefail
build=$1
page=$2
scope=${3:-user}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export VELSOR_HOME=$work/home
export VELSOR_UI=scripted
export VELSOR_UI_SCRIPT=$work/dialogs
"$build/tests/scripts/install_test_pki" "$work/alice.b64"
module=$build/src/module/OmbrelVelsor20_64.so
if [[ $scope == machine ]]; then
  export VELSOR_MACHINE_HOME=$work/machine
  # Registered as root would register it: from another home, which the user never sees.
  VELSOR_HOME=$work/roots-home "$build/tools/velsor-regsvr/velsor-regsvr" --machine "$module" >/dev/null
  [[ ! -e $VELSOR_HOME/registry.db ]] || { echo "the user's registry was written"; exit 1; }
  [[ $(stat -c %a "$work/machine/OmbrelVELSORLib20_64.idl") == 644 ]] ||
    { echo "the type library is not where every user reads it"; exit 1; }
else
  "$build/tools/velsor-regsvr/velsor-regsvr" "$module" >/dev/null
fi

# Files the file pages work on, and the user's answers to the dialogs they show.
printf 'form file content' >"$work/a.txt"
: >"$work/empty.txt"
mkdir "$work/saved"
ui=${page%.js}.ui
if [[ -f $ui ]]; then sed "s|@WORK@|$work|g" "$ui" >"$VELSOR_UI_SCRIPT"; else : >"$VELSOR_UI_SCRIPT"; fi

"$build/tools/velsor-script/velsor-script" "$page" "$work" "$(cat "$work/alice.b64")" \
  >"$work/out" 2>"$work/err" || { echo "velsor-script failed:"; cat "$work/err"; exit 1; }
# What the page saved: text files with their content, others by name.
for saved in "$work"/saved/*; do
  [[ -e $saved ]] || continue
  if [[ $saved == *.txt ]]; then echo "saved ${saved##*/}: $(cat "$saved")"; else echo "saved ${saved##*/}"; fi
done >>"$work/out"
sed "s|$work|@WORK@|g" "$work/out" >"$work/actual"
if [[ -n ${VELSOR_UPDATE_EXPECTED:-} ]]; then cp "$work/actual" "${page%.js}.expected"; fi
if ! diff -u "${page%.js}.expected" "$work/actual"; then
  echo "output of $page differs from ${page%.js}.expected"
  exit 1
fi
if [[ $scope == machine ]]; then
  VELSOR_HOME=$work/roots-home "$build/tools/velsor-regsvr/velsor-regsvr" -u --machine "$module" >/dev/null
  [[ ! -e $work/machine/OmbrelVELSORLib20_64.idl ]] || { echo "unregistering left the type library"; exit 1; }
  echo 'new ActiveXObject("Velsor.TolvaneVelsor20_64.1");' >"$work/create.js"
  "$build/tools/velsor-script/velsor-script" "$work/create.js" >/dev/null 2>"$work/err" || true
  grep -q "no class is registered under that ProgID" "$work/err" ||
    { echo "the class is still found after the machine's unregistration"; exit 1; }
fi
