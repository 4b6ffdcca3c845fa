#!/usr/bin/env bash
# The Windows DLL as pages meet it under Wine: registered with regsvr32 (and the registry
# holding what registration writes), examples/sign-and-verify.js run by cscript against a
# user imported into Wine's stores, signatures and RC4 envelopes made by the Linux build
# checked by the DLL and the other way round, and unregistration removing the keys.
# Usage: page_test.sh REPO (with build/ and build-windows/ built). Wine runs in a prefix of
# this test's own, so that no certificate or key of an earlier run is found.
set -uo pipefail
repo=$1
linux=$repo/build
windows=$repo/build-windows
work=$(mktemp -d)
source "$repo/tests/windows/wine_prefix.sh"
use_wine_prefix "$work"
trap 'stop_wine_prefix; [[ -n ${KEEP_WORK:-} ]] || rm -rf "$work"' EXIT
quiet() { "$@" >/dev/null 2>&1; }

# A root and a user made by the openssl command line; the PFX uses the PBE Wine reads.
# ("Wine Tester": Wine quotes an odd-length value whose middle character is a space.)
cd "$work" || exit 1
quiet openssl req -x509 -newkey rsa:2048 -nodes -keyout root.key -out root.pem -days 30 \
  -subj "/C=CN/O=Velsor/CN=Velsor Wine Root" \
  -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign,cRLSign
quiet openssl req -newkey rsa:2048 -nodes -keyout user.key -out user.csr \
  -subj "/C=CN/O=Velsor/CN=Wine Tester"
printf 'keyUsage=digitalSignature,nonRepudiation,keyEncipherment\n' >user.ext
quiet openssl x509 -req -in user.csr -CA root.pem -CAkey root.key -set_serial 0x1234 -days 30 \
  -extfile user.ext -out user.pem
quiet openssl pkcs12 -export -in user.pem -inkey user.key -out user.p12 -passout pass:wine \
  -keypbe PBE-SHA1-3DES -certpbe PBE-SHA1-3DES -macalg sha1
openssl x509 -in root.pem -outform DER -out root.der
openssl x509 -in user.pem -outform DER -out user.der
signer="C=CN, O=Velsor, CN=Wine Tester"
text="cross-platform text"

# Windows: the user with the key in MY, in AddressBOOK for envelopes, the root trusted.
importer=$windows/tests/windows/import_certificates.exe
wine "$importer" ROOT root.der || fail "importing the root"
openssl rsa -in user.key -traditional -outform DER -out user.key.der 2>/dev/null
wine "$importer" MY user.der user.key.der || fail "importing the user with the key"
wine "$importer" AddressBook user.der || fail "the user in AddressBook"
dll=$windows/src/module/OmbrelVelsor20_64.DLL
# Exactly the six exports, and nothing but system DLLs to load.
exports=$(x86_64-w64-mingw32-objdump -p "$dll" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
  sed -n 's/^\s*\[ *[0-9]*\] //p' | sort | tr '\n' ' ')
[[ $exports == "DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer mem_compress mem_uncompress " ]] ||
  fail "the DLL exports: $exports"
for imported in $(x86_64-w64-mingw32-objdump -p "$dll" | sed -n 's/^\s*DLL Name: //p' | tr a-z A-Z); do
  case $imported in
    ADVAPI32.DLL | COMCTL32.DLL | COMDLG32.DLL | CRYPT32.DLL | GDI32.DLL | KERNEL32.DLL | MSVCRT.DLL | \
      OLE32.DLL | OLEAUT32.DLL | SHELL32.DLL | USER32.DLL) ;;
    *) fail "the DLL needs $imported" ;;
  esac
done
clsid="{4C6A3A2C-7B13-4F80-AE23-A7FBA58E20FD}"
wine regsvr32 /s "$dll" || fail "regsvr32"
wine reg query "HKCR\\Velsor.TolvaneVelsor20_64.1\\CLSID" >out 2>&1
grep -q "$clsid" out || fail "the ProgID names the class"
wine reg query "HKCR\\CLSID\\$clsid\\InprocServer32" >out 2>&1
grep -qi "OmbrelVelsor20_64.DLL" out && grep -q "Apartment" out || fail "InprocServer32"
wine reg query "HKCR\\CLSID\\$clsid\\CtlSettings" /v stubPath >out 2>&1
grep -q "velsorStub" out || fail "the stub folder"
libid="{BEB3E6DF-CE79-4386-8001-3DEFEA6DE53B}"
wine reg query "HKCR\\TypeLib\\$libid\\1.0\\0\\win64" >out 2>&1
grep -qi "OmbrelVelsor20_64.DLL" out || fail "the type library in the DLL is registered"

# Linux: the same user in a store of its own, the module registered. (Its VELSOR_HOME is
# given to the Linux programs alone: Wine would hand it on to the DLL.)
on_linux() { VELSOR_HOME=$work/home PFX_PASSWORD=wine "$@"; }
quiet on_linux "$linux/tools/velsor/velsor" store import-pfx user.p12 --password-env PFX_PASSWORD ||
  fail "velsor store import-pfx"
quiet on_linux "$linux/tools/velsor/velsor" store add ROOT root.pem || fail "velsor store add ROOT"
quiet on_linux "$linux/tools/velsor/velsor" store add AddressBOOK user.pem || fail "velsor store add"
quiet on_linux "$linux/tools/velsor-regsvr/velsor-regsvr" "$linux/src/module/OmbrelVelsor20_64.so" ||
  fail "velsor-regsvr"

# The example, its other characters written as \u escapes for cscript's ANSI reading.
python3 -c 'import sys; t = open(sys.argv[1], encoding="utf-8").read()
u = t.encode("utf-16-le"); units = [int.from_bytes(u[i:i + 2], "little") for i in range(0, len(u), 2)]
print("".join(chr(c) if c < 128 else "\\u%04x" % c for c in units), end="")' \
  "$repo/examples/sign-and-verify.js" >sign-and-verify.js
wine cscript //nologo sign-and-verify.js "$signer" >out 2>&1
grep -q "^signature:" out && grep -q "^verified: " out || fail "cscript runs the example"
grep -q "^subject: $signer" out || fail "the example prints the signer's subject"
grep -q "^serial number: 1234" out || fail "the example prints the serial number"

# Made on one platform, checked on the other (cscript takes the scripts from this folder).
cp "$repo/tests/windows/pages/make.js" "$repo/tests/windows/pages/check.js" .
check() {  # check WHO-MADE OUTPUT-OF-CHECK
  grep -q "^attached: 0 true $signer" "$2" || fail "$1's attached signature"
  grep -q "^detached: 0" "$2" || fail "$1's detached signature"
  grep -q "^envelope: 0 true" "$2" || fail "$1's RC4 envelope"
}
field() { sed -n "s/^$1=//p" "$2" | tr -d '\r'; }
on_linux "$linux/tools/velsor-script/velsor-script" "$repo/tests/windows/pages/make.js" "$signer" "$text" \
  >linux.made 2>&1
wine cscript //nologo make.js "$signer" "$text" >windows.made 2>&1
wine cscript //nologo check.js "$(field attached linux.made)" \
  "$(field detached linux.made)" "$(field envelope linux.made)" "$text" >out 2>&1
check Linux out
on_linux "$linux/tools/velsor-script/velsor-script" "$repo/tests/windows/pages/check.js" \
  "$(field attached windows.made)" "$(field detached windows.made)" \
  "$(field envelope windows.made)" "$text" >out 2>&1
check Windows out
# PKCS#1 v1.5 signatures without attributes are deterministic: both platforms make the same
# bytes from the same key and content.
[[ $(field attached linux.made) == "$(field attached windows.made)" ]] ||
  fail "the attached signatures of both platforms are the same bytes"
[[ $(field detached linux.made) == "$(field detached windows.made)" ]] ||
  fail "the detached signatures of both platforms are the same bytes"

# The container and file members with Windows paths: read with backslashes, saved where the
# (scripted) save dialogs say.
cp "$repo/tests/windows/pages/file_paths.js" .
printf 'to encrypt' >a.txt
mkdir -p saved
windows_work=$(winepath -w "$work")
printf 'file %s\\saved\\received.txt\nfile %s\\saved\\chosen.cry\n' "$windows_work" "$windows_work" \
  >dialogs
VELSOR_UI=scripted VELSOR_UI_SCRIPT="$windows_work\\dialogs" wine cscript //nologo file_paths.js \
  "$windows_work" "$(base64 -w0 user.der)" "$signer" >out 2>&1
for member in VLAddFormItem "VLAddFile with backslashes" "VLAttachedSign of the form" \
  "VLAttachedVerify of the form" "saved where the user chose" \
  "VLAddFileForEncrypt with backslashes" "VLEncryptFileAndSave where the user chose"; do
  grep -q "^$member: 0" out || fail "$member"
done
grep -q "^VLGetFormItem: form item" out || fail "the form item comes back"
grep -q "^VLGetFile: a.txt" out && [[ $(cat saved/received.txt 2>/dev/null) == "to encrypt" ]] ||
  fail "the form's file is saved where the user chose"
[[ -s saved/chosen.cry ]] || fail "the encrypted file is saved where the user chose"
grep -q "^VLAttachedVerifySignedFile of a missing file: -1" out || fail "a missing signed file"

wine regsvr32 /u /s "$dll" || fail "regsvr32 /u"
wine reg query "HKCR\\CLSID\\$clsid" >out 2>&1 && fail "the class key stays after unregistering"
wine reg query "HKCR\\Velsor.TolvaneVelsor20_64.1" >out 2>&1 && fail "the ProgID stays"
wine reg query "HKCR\\TypeLib\\$libid" >out 2>&1 && fail "the type library stays registered"

[[ $failures -eq 0 ]] && echo "page tests under Wine: ok"
exit $((failures > 0))
