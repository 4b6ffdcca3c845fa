#!/usr/bin/env bash
# The Windows installer under Wine, in a fresh prefix of its own: installed silently (/S)
# for the machine, the class, its type library, the three browsers' host keys and the
# Uninstall entry in the registry, the manifest naming the installed host; then what the
# user does: `velsor.exe bridge allow`, a page's framed requests to the installed
# velsor-host.exe (a signature among them, its chooser answered), `velsor.exe doctor`, and a
# cscript page; uninstalled silently, leaving no key and no file. Then the same install for
# the user alone (/CurrentUser), under HKCU. Run on a display, as host_test.sh.
# Usage: installer_test.sh REPO (with build-windows/ built).
set -uo pipefail
repo=$1
work=$(mktemp -d)
source "$repo/tests/windows/wine_prefix.sh"
use_wine_prefix "$work"
trap 'stop_wine_prefix; rm -rf "$work"' EXIT
has_key() { wine reg query "$1" >/dev/null 2>&1; }

setup=$("$repo/scripts/package-windows") || { echo "FAILED: scripts/package-windows"; exit 1; }
[[ $setup == */build-windows/velsor-setup-2.0.59.4.exe ]] || fail "the installer is named $setup"
clsid="{4C6A3A2C-7B13-4F80-AE23-A7FBA58E20FD}"
libid="{BEB3E6DF-CE79-4386-8001-3DEFEA6DE53B}"
hosts=('Software\Google\Chrome\NativeMessagingHosts\velsor.host'
  'Software\Microsoft\Edge\NativeMessagingHosts\velsor.host'
  'Software\Mozilla\NativeMessagingHosts\velsor.host')
uninstall_key='Software\Microsoft\Windows\CurrentVersion\Uninstall\Velsor'

check_installed() {  # ROOT (HKLM or HKCU) FOLDER (Unix path of the installation)
  local root=$1 folder=$2
  wine reg query "HKCR\\Velsor.TolvaneVelsor20_64.1\\CLSID" >"$work/out" 2>&1
  grep -q "$clsid" "$work/out" || fail "the ProgID names the class"
  wine reg query "HKCR\\CLSID\\$clsid\\InprocServer32" >"$work/out" 2>&1
  grep -qi 'Velsor\\OmbrelVelsor20_64.DLL' "$work/out" || fail "the class's server is the installed DLL"
  has_key "HKCR\\TypeLib\\$libid" || fail "the type library is registered"
  for key in "${hosts[@]}"; do
    wine reg query "$root\\$key" >"$work/out" 2>&1 || fail "$root\\$key"
    grep -q 'velsor.host.*json' "$work/out" || fail "$key names a manifest"
  done
  has_key "$root\\$uninstall_key" || fail "the Uninstall entry"
  grep -q 'Velsor\\\\velsor-host.exe"' "$folder/velsor.host.chromium.json" ||
    fail "the manifest names the installed velsor-host.exe"
}

check_uninstalled() {  # ROOT FOLDER
  local root=$1 folder=$2
  wine "$folder/uninstall.exe" /S >"$work/out" 2>&1 || fail "uninstall /S"
  # The uninstaller goes on from a copy of itself after its first process ends.
  for _ in $(seq 60); do [[ -e $folder ]] || break; sleep 0.5; done
  [[ -e $folder ]] && fail "uninstalling left $(ls -R "$folder" | head -5)"
  for key in "${hosts[@]}" "$uninstall_key"; do has_key "$root\\$key" && fail "uninstalling left $root\\$key"; done
  has_key "HKCR\\Velsor.TolvaneVelsor20_64.1" && fail "uninstalling left the ProgID"
  has_key "HKCR\\CLSID\\$clsid" && fail "uninstalling left the class"
  has_key "HKCR\\TypeLib\\$libid" && fail "uninstalling left the type library"
}

# For the machine.
wine "$setup" /S >"$work/out" 2>&1 || fail "the installer with /S"
folder=$WINEPREFIX/drive_c/Program\ Files/Velsor
check_installed HKLM "$folder"
wine "$folder/velsor.exe" bridge allow https://bank.example >"$work/out" 2>&1 || fail "velsor.exe bridge allow"
import_test_user "$work" "$repo/build-windows" || fail "importing a user with a key"
python3 "$repo/tests/windows/host_frames.py" "$folder/velsor-host.exe" https://bank.example \
  "$repo/build-windows/tests/windows/answer_chooser.exe" || fail "the installed velsor-host.exe answers"
wine "$folder/velsor.exe" doctor >"$work/out" 2>&1 || fail "velsor.exe doctor after installing"
printf 'var c = new ActiveXObject("Velsor.TolvaneVelsor20_64.1");\nWScript.Echo(c.VLBase64Encode("abc"));\n' \
  >"$work/page.js"
wine cscript //nologo "$(wine winepath -w "$work/page.js" 2>/dev/null | tr -d '\r')" >"$work/out" 2>&1
grep -q '^YWJj' "$work/out" || fail "a cscript page"
check_uninstalled HKLM "$folder"

# For the user alone.
wine "$setup" /S /CurrentUser >"$work/out" 2>&1 || fail "the installer with /S /CurrentUser"
folder=$(ls -d "$WINEPREFIX"/drive_c/users/*/AppData/Local/Programs/Velsor 2>/dev/null | head -1)
[[ -n $folder ]] || fail "installed into the user's programs folder"
if [[ -n $folder ]]; then
  check_installed HKCU "$folder"
  for key in "${hosts[@]}"; do has_key "HKLM\\$key" && fail "a user's install wrote HKLM\\$key"; done
  check_uninstalled HKCU "$folder"
fi

if [[ $failures -eq 0 ]]; then echo "Windows installer under Wine: ok"; else exit 1; fi
