#!/usr/bin/env bash
# The velsor command as a user meets it: demo store, PKCS#12 import, adding, listing,
# exporting and removing, and clear failures for bad input.
set -uo pipefail

velsor=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export VELSOR_HOME=$work/home
failures=0

check() {  # check DESCRIPTION COMMAND...: the command must succeed
  if ! "${@:2}" >"$work/out" 2>"$work/err"; then
    echo "FAILED: $1"; cat "$work/out" "$work/err"; failures=$((failures + 1))
  fi
}
refuse() {  # refuse DESCRIPTION EXPECTED-TEXT COMMAND...: must fail, saying EXPECTED-TEXT
  if "${@:3}" >"$work/out" 2>"$work/err"; then
    echo "FAILED: $1 succeeded"; failures=$((failures + 1))
  elif ! grep -q -- "$2" "$work/err"; then
    echo "FAILED: $1 did not say '$2':"; cat "$work/err"; failures=$((failures + 1))
  fi
}
expect_line() {  # expect_line DESCRIPTION PATTERN: a line of the last output matches
  grep -q -E -- "$2" "$work/out" || { echo "FAILED: $1"; cat "$work/out"; failures=$((failures + 1)); }
}

check "help" "$velsor" --help
expect_line "help names the commands" "import-pfx"
check "store help" "$velsor" store list --help

check "demo-pki" "$velsor" demo-pki
expect_line "demo reports the users" "MY +C=CN, O=Velsor Demo, CN=张三 Demo"
check "list MY" "$velsor" store list
expect_line "list format" $'^1\tC=CN, O=Velsor Demo, CN=张三 Demo\t[0-9A-F]{4} [0-9A-F]{4} [0-9A-F]{4} [0-9A-F]{4}\t20[0-9]{2}-[0-9]{2}-[0-9]{2} [0-9:]{8}GMT\texchange$'
expect_line "signature user" $'^2\t.*李四 Demo\t.*\tsignature$'
check "list AddressBOOK" "$velsor" store list addressbook
expect_line "partner without key" $'^1\t.*Partner Demo\t.*\tnone$'
[[ $(stat -c %a "$VELSOR_HOME") == 700 ]] || { echo "FAILED: home mode"; failures=$((failures + 1)); }
[[ $(stat -c %a "$VELSOR_HOME/certstore.db") == 600 ]] || { echo "FAILED: file mode"; failures=$((failures + 1)); }

# A PKCS#12 file with a chain, made with the openssl command line.
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/ca.key" -out "$work/ca.pem" -days 30 \
  -subj "/CN=Pfx Test CA" -addext basicConstraints=critical,CA:TRUE 2>/dev/null
openssl req -newkey rsa:2048 -nodes -keyout "$work/user.key" -out "$work/user.csr" -subj "/CN=Pfx User/O=Velsor" 2>/dev/null
openssl x509 -req -in "$work/user.csr" -CA "$work/ca.pem" -CAkey "$work/ca.key" -set_serial 0x00A1B2 \
  -days 30 -out "$work/user.pem" 2>/dev/null
openssl pkcs12 -export -inkey "$work/user.key" -in "$work/user.pem" -certfile "$work/ca.pem" \
  -passout pass:s3cret -out "$work/user.p12" 2>/dev/null
echo s3cret >"$work/password"

refuse "wrong password" "wrong password" env PFX_PASSWORD=nope "$velsor" store import-pfx "$work/user.p12" --password-env PFX_PASSWORD
check "import with signature key" "$velsor" store import-pfx "$work/user.p12" --password-file "$work/password" --key-spec signature
expect_line "chain is listed, not added" "also in the file .*CN=Pfx Test CA"
check "list after import" "$velsor" store list MY
expect_line "imported user" $'^3\tO=Velsor, CN=Pfx User|^3\tCN=Pfx User, O=Velsor\t00A1 B2\t'
expect_line "imported key spec" $'^3\t.*Pfx User.*\tsignature$'
check "import with chain" env PFX_PASSWORD=s3cret "$velsor" store import-pfx "$work/user.p12" --password-env PFX_PASSWORD --with-chain
expect_line "chain to CA" "added CN=Pfx Test CA to CA"
check "list ROOT untouched" "$velsor" store list ROOT
[[ $(wc -l <"$work/out") == 1 ]] || { echo "FAILED: ROOT changed by an import"; failures=$((failures + 1)); }

# Adding PEM (two certificates at once) and DER, exporting and removing.
cat "$work/ca.pem" "$work/user.pem" >"$work/two.pem"
check "add two from PEM" "$velsor" store add ROOT "$work/two.pem"
openssl x509 -in "$work/user.pem" -outform DER -out "$work/user.der"
check "add DER" "$velsor" store add AddressBOOK "$work/user.der"
check "export" "$velsor" store export AddressBOOK 4
cmp -s "$work/out" <(openssl x509 -in "$work/user.pem") || { echo "FAILED: export differs"; failures=$((failures + 1)); }
for _ in 1 2 3; do check "remove" "$velsor" store remove AddressBOOK 1; done
check "list after remove" "$velsor" store list AddressBOOK
expect_line "remaining" $'^1\t.*Pfx User'
touch "$work/index"
printf '[ca]\ndefault_ca=d\n[d]\ndatabase=%s\ndefault_md=sha256\ndefault_crl_days=30\n' "$work/index" >"$work/ca.cnf"
openssl ca -gencrl -keyfile "$work/ca.key" -cert "$work/ca.pem" -out "$work/crl.pem" -config "$work/ca.cnf" 2>/dev/null
check "add CRL" "$velsor" store add-crl CA "$work/crl.pem"

# Bad input is refused clearly.
refuse "unknown store" "no store named Trust" "$velsor" store list Trust
refuse "unreadable file" "cannot read" "$velsor" store add CA "$work/missing.pem"
echo "just text" >"$work/text.pem"
refuse "not a certificate" "holds no certificate" "$velsor" store add CA "$work/text.pem"
refuse "not a CRL" "not a DER certificate revocation list" "$velsor" store add-crl CA "$work/text.pem"
refuse "not a PKCS#12 file" "not a PKCS#12 file" "$velsor" store import-pfx "$work/text.pem"

refuse "bad index" "no certificate at index 9" "$velsor" store remove MY 9
refuse "unknown command" "unknown store command" "$velsor" store frobnicate
# Which web origins may use the control, and the browsers' host manifests.
check "allow a bank" "$velsor" bridge allow HTTPS://Bank.Example:443/
expect_line "the origin is written as browsers write it" "^allowed https://bank.example$"
check "allow a page on this machine" "$velsor" bridge allow http://127.0.0.1:8080
check "deny a shop" "$velsor" bridge deny https://shop.example
check "list" "$velsor" bridge list
expect_line "the bank is allowed" "^allowed	https://bank.example$"
expect_line "the shop is denied" "^denied	https://shop.example$"
refuse "plain http elsewhere" "only https pages" "$velsor" bridge allow http://bank.example
refuse "a path is no origin" "is not an origin" "$velsor" bridge allow https://bank.example/login
refuse "two origins at once" "name one origin" "$velsor" bridge allow https://a.example https://b.example
printf '#!/bin/sh\n' >"$work/velsor-host" && chmod +x "$work/velsor-host"
check "install for a profile" "$velsor" bridge install --browser chromium --profile "$work/profile" --host "$work/velsor-host"
manifest=$work/profile/NativeMessagingHosts/velsor.host.json
check "the manifest names the host and only our extension" python3 -c '
import json, sys
m = json.load(open(sys.argv[1]))
assert m["name"] == "velsor.host" and m["type"] == "stdio" and m["path"] == sys.argv[2], m
assert m["allowed_origins"] == ["chrome-extension://fpkilmkpfceombilonhmapgmaeffblcf/"], m' "$manifest" "$work/velsor-host"
check "the extension's key gives the ID the manifest allows" python3 -c '
import base64, hashlib, json, sys
key = base64.b64decode(json.load(open(sys.argv[1]))["key"])
digest = hashlib.sha256(key).hexdigest()[:32]
assert "".join(chr(ord("a") + int(c, 16)) for c in digest) == "fpkilmkpfceombilonhmapgmaeffblcf"' \
  "$(dirname "$0")/../../extension/manifest.json"
HOME=$work/user check "install for Firefox" "$velsor" bridge install --browser firefox --host "$work/velsor-host"
check "Firefox reads allowed_extensions" grep -q '"bridge@velsor"' "$work/user/.mozilla/native-messaging-hosts/velsor.host.json"
check "uninstall" "$velsor" bridge uninstall --browser chromium --profile "$work/profile"
check "the manifest is gone" test ! -e "$manifest"
refuse "an unknown browser" "chromium, chrome, edge, firefox or all" "$velsor" bridge install --browser opera
check "a package's manifest for Edge" "$velsor" bridge manifest --browser edge --host /usr/lib/velsor-host
expect_line "it allows our extension" '"chrome-extension://fpkilmkpfceombilonhmapgmaeffblcf/"'
refuse "a manifest for two browsers" "name one browser" "$velsor" bridge manifest --browser all --host /x
# The doctor, with nothing registered for this user or (in a machine folder of its own) the
# machine: the class is named with its fix, and the exit status says so.
if VELSOR_MACHINE_HOME=$work/no-machine "$velsor" doctor >"$work/out" 2>"$work/err"; then
  echo "FAILED: the doctor found all well with nothing registered"; failures=$((failures + 1))
fi
expect_line "the doctor names the unregistered class" "^PROBLEM +the class Velsor.TolvaneVelsor20_64.1 is not registered; fix: "
expect_line "the doctor checks the data folder" "^ok +your data folder: "

# PKCS#12 files as users have them, from a public corpus: a legacy export (RC2-40 certificate
# bag, 3DES key bag), and the 13 files made without a password, given an empty one or none.
corpus=/usr/lib/python3/dist-packages/cryptography_vectors/pkcs12
check "a legacy-protected PKCS#12 file" env PFX_PASSWORD=cryptography \
  "$velsor" store import-pfx "$corpus/cert-rc2-key-3des.p12" --password-env PFX_PASSWORD
expect_line "the legacy file's certificate" "^imported C=US, CN=cryptography CA into MY"
refuse "a legacy file with a wrong password" "wrong password" env PFX_PASSWORD=nope \
  "$velsor" store import-pfx "$corpus/cert-rc2-key-3des.p12" --password-env PFX_PASSWORD
unprotected=0
for file in "$corpus"/*no-pwd*.p12 "$corpus/no-password.p12"; do
  unprotected=$((unprotected + 1))
  for how in "--password-env EMPTY_PASSWORD" ""; do
    # shellcheck disable=SC2086
    env EMPTY_PASSWORD= "$velsor" store import-pfx "$file" $how >"$work/out" 2>"$work/err"
    if grep -q -e "wrong password" -e "cannot read" "$work/err" ||
       ! grep -q -e "^imported" -e "holds no certificate with its key" "$work/out" "$work/err"; then
      echo "FAILED: $(basename "$file") ${how:-without a password}:"; cat "$work/out" "$work/err"
      failures=$((failures + 1))
    fi
  done
done
[[ $unprotected == 13 ]] || { echo "FAILED: $unprotected files without a password"; failures=$((failures + 1)); }


# Malformed certificates from the same corpus are refused naming which and why, alike as PEM
# and as DER, and nothing of the file is added.
x509=/usr/lib/python3/dist-packages/cryptography_vectors/x509
for case in "custom/invalid_utf8_common_name:invalid utf8string" \
            "custom/long-form-name-attribute:mstring not universal" \
            "badasn1time:a validity time cannot be read"; do
  file=${case%%:*} why=${case#*:}
  sed '/-----/d' "$x509/$file.pem" | base64 -d >"$work/malformed.der"
  refuse "$file as PEM" "certificate 1 of $x509/$file.pem is malformed (.*$why)" \
    "$velsor" store add CA "$x509/$file.pem"
  refuse "$file as DER" "the certificate in $work/malformed.der is malformed (.*$why)" \
    "$velsor" store add CA "$work/malformed.der"
done
cat "$x509/cryptography.io.pem" "$x509/custom/invalid_utf8_common_name.pem" >"$work/mixed.pem"
refuse "a file with one bad certificate" "certificate 2 of .* nothing was added" \
  "$velsor" store add AddressBOOK "$work/mixed.pem"
check "list after the refusal" "$velsor" store list AddressBOOK
grep -q "cryptography.io" "$work/out" && { echo "FAILED: a certificate of a refused file was added"; failures=$((failures + 1)); }

chmod 777 "$VELSOR_HOME"
refuse "home writable by others" "others can write" "$velsor" store list

echo "$((failures == 0 ? 1 : 0)) passed, $failures failed"
[[ $failures == 0 ]]
