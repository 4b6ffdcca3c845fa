#!/usr/bin/env bash
# Runs every message of NIST's path-validation suite through the control as a page does,
# attached and detached, from one page process over one shared store, and compares each
# answer with expected.tsv. Any changed answer fails. Usage: pkits_test.sh BUILD_DIR
set -euo pipefail
build=$1
here=$(cd "$(dirname "$0")" && pwd)
# Debian's own Python finds the suite's package (another python3 may come first on PATH).
suite=$(/usr/bin/python3 -c 'import cryptography_vectors, os; print(os.path.join(os.path.dirname(cryptography_vectors.__file__), "x509", "PKITS_data"))')
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export VELSOR_HOME=$work/home VELSOR_UI=none
velsor=$build/tools/velsor/velsor

"$velsor" store add ROOT "$suite/certs/TrustAnchorRootCertificate.crt" >/dev/null
"$velsor" store add-crl ROOT "$suite/crls/TrustAnchorRootCRL.crl" >/dev/null
for certificate in "$suite"/certs/*.crt; do
  [[ $certificate == */TrustAnchorRootCertificate.crt ]] || openssl x509 -inform DER -in "$certificate"
done >"$work/authorities.pem"
"$velsor" store add CA "$work/authorities.pem" >/dev/null
for crl in "$suite"/crls/*.crl; do
  [[ $crl == */TrustAnchorRootCRL.crl ]] || "$velsor" store add-crl CA "$crl" >/dev/null
done
"$build/tools/velsor-regsvr/velsor-regsvr" "$build/src/module/OmbrelVelsor20_64.so" >/dev/null

/usr/bin/python3 "$here/page_messages.py" "$suite/smime" "$here/verify_all.js" "$work/page.js"
"$build/tools/velsor-script/velsor-script" "$work/page.js" >"$work/answers"

# expected.tsv: section, test, verdict, attached, detached[, why we differ].
grep -v '^#' "$here/expected.tsv" | cut -f2,4,5 >"$work/expected"
if ! diff -u "$work/expected" "$work/answers"; then
  echo "answers differ from expected.tsv (- expected, + now)"
  exit 1
fi
awk -F'\t' '!/^#/ { total++; if ($6 == "") agree++ } END {
  printf "%d of %d messages agree with the suite'"'"'s verdict; the rest are outside what the chain test claims\n", agree, total }' \
  "$here/expected.tsv"
