#!/usr/bin/env bash
# The Debian package as a user's machine gets it: built, lintian-clean, installed with
# apt-get, used by a new user who registered nothing (the example scripts and the example
# bank page, in Chromium started through Debian's wrapper and in Firefox ESR with no
# extension loaded by hand, sign and verify with a certificate of the user's; `velsor
# doctor` finds all well, and names a manifest taken away), and purged without a trace. It installs into this
# machine, so it runs as root and after every other test. Usage: package_test.sh REPO
set -uo pipefail
repo=$1
cd "$repo" || exit 1
failures=0
fail() { echo "FAILED: $1"; [[ -f ${out:-} ]] && head -c 3000 "$out"; failures=$((failures + 1)); }
[[ $(id -u) -eq 0 ]] || { echo "package_test.sh: installing needs root"; exit 1; }
out=$(mktemp)
user=velsor-package-test
cleanup() {
  apt-get purge -y -qq velsor >/dev/null 2>&1
  pkill -u "$user" >/dev/null 2>&1
  userdel -r "$user" >/dev/null 2>&1
  rm -f "$out"
}
trap cleanup EXIT

package=$(scripts/package) || { echo "FAILED: scripts/package"; exit 1; }
[[ $package == */build-package/velsor_2.0.59.4_amd64.deb ]] || fail "the package is named $package"
lintian --tag-display-limit 0 "$package" >"$out" 2>&1
grep -q '^E:' "$out" && fail "lintian reports errors"

# What the package holds, where each browser and program looks for it.
dpkg-deb -c "$package" | awk '{print $6}' | sed 's|^\./|/|' >"$out"
for path in /usr/bin/velsor /usr/bin/velsor-script /usr/bin/velsor-regsvr \
  /usr/lib/x86_64-linux-gnu/velsor/velsor-host /usr/lib/x86_64-linux-gnu/velsor/OmbrelVelsor20_64.so \
  /usr/lib/x86_64-linux-gnu/libvelsor_compression.so.2 /usr/include/velsor_compression.h \
  /usr/share/chromium/extensions/velsor/manifest.json \
  "/usr/share/mozilla/extensions/{ec8030f7-c20a-464f-9b0e-13a3a9e97384}/bridge@velsor/manifest.json" \
  /etc/chromium/native-messaging-hosts/velsor.host.json \
  /etc/opt/chrome/native-messaging-hosts/velsor.host.json \
  /etc/opt/edge/native-messaging-hosts/velsor.host.json \
  /usr/lib/mozilla/native-messaging-hosts/velsor.host.json \
  /usr/share/velsor/web/velsor.js /usr/share/doc/velsor/examples/sign-and-verify.js; do
  grep -qxF "$path" "$out" || fail "the package lacks $path"
done
dpkg-deb -f "$package" Depends | grep -q 'libssl3' || fail "Depends does not name OpenSSL"
dpkg-deb -f "$package" Recommends | grep -q 'opensc-pkcs11' || fail "Recommends"

apt-get install -y -qq "$package" >"$out" 2>&1 || fail "apt-get install"
python3 -c '
import json, sys
m = json.load(open("/etc/chromium/native-messaging-hosts/velsor.host.json"))
assert m["path"] == "/usr/lib/x86_64-linux-gnu/velsor/velsor-host", m
assert m["allowed_origins"] == ["chrome-extension://fpkilmkpfceombilonhmapgmaeffblcf/"], m' ||
  fail "the Chromium manifest names the installed host and our extension"
[[ $(stat -c '%U %a' /var/lib/velsor/registry.db) == "root 644" ]] || fail "the machine's registry"

# A new user: a certificate of their own, nothing registered.
useradd -m "$user" || fail "useradd"
su "$user" -s /bin/bash -c 'cd && velsor demo-pki >/dev/null &&
  velsor-script /usr/share/doc/velsor/examples/sign-and-verify.js' >"$out" 2>&1 ||
  fail "a new user signs and verifies with the installed package"
grep -q '^verified: ' "$out" || fail "the example verified nothing"
[[ -z $(su "$user" -s /bin/bash -c 'ls ~/.local/share/velsor/OmbrelVELSORLib20_64.idl 2>/dev/null') ]] ||
  fail "the user registered the class"

# The same user's pages in both browsers, nothing loaded by hand.
copy=$(su "$user" -s /bin/bash -c 'mktemp -d')
cp -r "$repo/tests" "$copy/" && chown -R "$user:" "$copy"
su "$user" -s /bin/bash -c "cd && bash $copy/tests/package/installed_browsers.sh $copy" >"$out" 2>&1 ||
  fail "a page signs and verifies in the browsers with the installed package"
grep -c '^ok .*sign and verify from a page' "$out" | grep -qx 2 || fail "both browsers signed"

# The doctor finds all well for the user, and names a manifest taken away.
su "$user" -s /bin/bash -c 'cd && velsor doctor' >"$out" 2>&1 || fail "velsor doctor finds a problem"
grep -q '^ok *Chromium: host manifest /etc/chromium/native-messaging-hosts/velsor.host.json' "$out" ||
  fail "the doctor checked Chromium's manifest"
grep -q '^ok *the class is registered for the machine' "$out" || fail "the doctor checked the class"
manifest=/etc/chromium/native-messaging-hosts/velsor.host.json
mv "$manifest" "$manifest.away"
if su "$user" -s /bin/bash -c 'cd && velsor doctor' >"$out" 2>&1; then
  fail "velsor doctor exits 0 without Chromium's manifest"
fi
grep -q "^PROBLEM *Chromium: no host manifest at $manifest.*; fix: " "$out" ||
  fail "the doctor names the missing manifest and its fix"
mv "$manifest.away" "$manifest"

apt-get purge -y -qq velsor >"$out" 2>&1 || fail "apt-get purge"
dpkg-deb -c "$package" | awk '{print $6}' | sed 's|^\./|/|' | while read -r path; do
  [[ -f $path || -L $path ]] && echo "$path"
done >"$out"
[[ -s $out ]] && fail "purging left the package's files"
[[ -e /var/lib/velsor ]] && fail "purging left the machine's registration"

if [[ $failures -eq 0 ]]; then echo "package test: ok"; else exit 1; fi
