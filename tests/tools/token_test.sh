#!/usr/bin/env bash
# Tokens as a user meets them: demo-pki --token puts a user on a SoftHSM2 token, `velsor
# token list` and `velsor store list MY` show it, the token example signs (verified by the
# openssl command line) and opens an envelope with the PIN given in the dialog, a cancelled
# PIN dialog gives its code at the page and the control goes on working, and a module
# removed from the user's list is still used when p11-kit registers it.
set -uo pipefail

build=$1
example=$2
velsor=$build/tools/velsor/velsor
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export VELSOR_HOME=$work/home
unset SOFTHSM2_CONF
export VELSOR_UI=scripted VELSOR_UI_SCRIPT=$work/dialogs VELSOR_UI_RECORD=$work/shown
failures=0
fail() { echo "FAILED: $1"; [[ -f $work/out ]] && cat "$work/out"; failures=$((failures + 1)); }

"$velsor" demo-pki --token >"$work/out" 2>&1 || fail "demo-pki --token"
grep -q "export SOFTHSM2_CONF=$VELSOR_HOME/softhsm2/softhsm2.conf" "$work/out" ||
  fail "demo-pki says which configuration to export"
export SOFTHSM2_CONF=$VELSOR_HOME/softhsm2/softhsm2.conf

"$velsor" token list >"$work/out" 2>&1 || fail "token list"
grep -q '(added as demo)' "$work/out" || fail "the module is listed as added"
grep -q 'token "Velsor Demo Token".*PIN required' "$work/out" || fail "the token is listed"
grep -q 'CN=王五 Token Demo (exchange key)' "$work/out" || fail "its certificate and key kind"
"$velsor" store list MY >"$work/out" 2>&1 || fail "store list MY"
grep -q -P '王五 Token Demo\t.*\texchange\ttoken "Velsor Demo Token"$' "$work/out" ||
  fail "store list marks the token's certificate and names the token"
[[ $(grep -c 'token "' "$work/out") == 1 ]] || fail "only the token's certificate is marked"

"$build/tools/velsor-regsvr/velsor-regsvr" "$build/src/module/OmbrelVelsor20_64.so" >/dev/null
printf 'pin 123456\npin 123456\n' >"$VELSOR_UI_SCRIPT"
if "$build/tools/velsor-script/velsor-script" "$example" >"$work/out" 2>&1; then
  grep -q "verified: 令牌签名 signed on the token by C=CN, O=Velsor Demo, CN=王五 Token Demo" \
    "$work/out" || fail "the example verifies its signature"
  grep -q "opened: for the token's key only" "$work/out" || fail "the example opens the envelope"
  sed -n '/^signature:$/,/^verified/p' "$work/out" | sed '1d;$d' | base64 -d >"$work/signed.p7"
  "$velsor" store export ROOT 1 >"$work/chain.pem" && "$velsor" store export CA 1 >>"$work/chain.pem"
  openssl cms -verify -binary -inform DER -purpose any -CAfile "$work/chain.pem" \
    -in "$work/signed.p7" -out "$work/content" 2>"$work/err" || fail "openssl verifies it"
  [[ $(cat "$work/content") == "令牌签名 signed on the token" ]] || fail "openssl finds the content"
else
  fail "the token example"
fi
grep -q -P '^pin\t程序 velsor-script .*\tVelsor Demo Token\t\tentered$' "$work/shown" ||
  fail "the PIN dialog named the program and the token"

# Cancelled, then a wrong PIN followed by the right one: the page keeps its control.
cat >"$work/page.js" <<'PAGE'
var c = new ActiveXObject("Velsor.TolvaneVelsor20_64.1");
c.VLServerMode = 1; c.VLSetCodePage(65001);
c.VLSetPlainText("a"); c.VLAttachedSign("CN=王五 Token Demo");
WScript.Echo("cancelled: " + c.errorNum + " " + c.errorCode);
c.VLSetPlainText("b"); c.VLAttachedSign("CN=王五 Token Demo");
WScript.Echo("then: " + c.errorNum);
PAGE
printf 'cancel-pin\npin 000000\npin 123456\n' >"$VELSOR_UI_SCRIPT"
: >"$work/shown"
"$build/tools/velsor-script/velsor-script" "$work/page.js" >"$work/out" 2>&1
grep -q "^cancelled: -10051 -2146434962$" "$work/out" || fail "a cancelled PIN dialog gives -10051"
grep -q "^then: 0$" "$work/out" || fail "the control signs after a cancelled PIN dialog"
grep -q "wrong PIN" "$work/shown" || fail "the second PIN dialog says the PIN was wrong"

# Out of the user's list, the module is still p11-kit's.
"$velsor" token remove demo >/dev/null || fail "token remove"
"$velsor" token list >"$work/out" 2>&1
if grep -q "softhsm2" /usr/share/p11-kit/modules/*.module 2>/dev/null; then
  grep -q 'registered with p11-kit' "$work/out" && grep -q 'Velsor Demo Token' "$work/out" ||
    fail "the token is found through p11-kit's registry"
fi
"$velsor" token remove demo >"$work/out" 2>&1 && fail "removing twice"

# A page's process starts a module once, however many calls it makes, asks it for its
# tokens at every call, and finalises it once when it ends. OpenSC's spy records what a
# module (here a copy of SoftHSM2's, so that it is an instance of its own) is asked.
spy=/usr/lib/x86_64-linux-gnu/pkcs11/pkcs11-spy.so
cp "$(readlink -f /usr/lib/softhsm/libsofthsm2.so)" "$work/spied-softhsm2.so"
export PKCS11SPY=$work/spied-softhsm2.so PKCS11SPY_OUTPUT=$work/spy.log
# The spy keeps 16 bytes of its own to the end; the sanitizer run is not about its memory.
echo "leak:pkcs11-spy.so" >"$work/lsan.supp"
export LSAN_OPTIONS=suppressions=$work/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}
"$velsor" token add "$spy" --label spy >/dev/null || fail "adding the spied module"
: >"$work/spy.log"
cat >"$work/calls.js" <<'PAGE'
var c = new ActiveXObject("Velsor.TolvaneVelsor20_64.1");
c.VLServerMode = 1; c.VLSetCodePage(65001);
for (var i = 0; i < 5; ++i) {
  c.VLSetPlainText("call " + i); c.VLAttachedSign("CN=李四 Demo");
  if (c.errorNum != 0) WScript.Echo("failed: " + c.errorNum);
}
PAGE
"$build/tools/velsor-script/velsor-script" "$work/calls.js" >"$work/out" 2>&1 || fail "five calls"
grep -q failed "$work/out" && fail "five signatures"
[[ $(grep -c ': C_Initialize$' "$work/spy.log") == 1 ]] || fail "the module is started once"
[[ $(grep -c ': C_Finalize$' "$work/spy.log") == 1 ]] || fail "the module is finalised once"
[[ $(grep -c ': C_GetSlotList$' "$work/spy.log") -ge 10 ]] ||
  fail "the module is asked for its tokens at every call"
unset PKCS11SPY PKCS11SPY_OUTPUT LSAN_OPTIONS

exit $((failures > 0))
