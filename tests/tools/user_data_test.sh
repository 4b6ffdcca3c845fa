#!/usr/bin/env bash
# User data as people keep it: a home under a linked folder, stores the user cannot write
# (they are read, and signing and verification work), a damaged store, a damaged registry.
# Usage: user_data_test.sh VELSOR VELSOR_SCRIPT VELSOR_REGSVR MODULE PAGE
set -uo pipefail
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"
mkdir "$work/bin"
cp "$1" "$2" "$3" "$4" "$5" "$work/bin/"
chmod -R a+rX "$work/bin"
velsor=$work/bin/$(basename "$1")
script=$work/bin/$(basename "$2")
regsvr=$work/bin/$(basename "$3")
module=$work/bin/$(basename "$4")
page=$work/bin/$(basename "$5")
failures=0
fail() { echo "FAILED: $1"; [[ -f $work/out ]] && cat "$work/out"; failures=$((failures + 1)); }

# A home reached through a linked folder.
mkdir "$work/real"
ln -s "$work/real" "$work/linked"
export VELSOR_HOME=$work/linked/velsor
"$velsor" demo-pki >"$work/out" 2>&1 || fail "demo-pki under a linked folder"
"$regsvr" "$module" >"$work/out" 2>&1 || fail "registration under a linked folder"
"$script" "$page" >"$work/out" 2>&1 && grep -q "^verified" "$work/out" ||
  fail "a page under a linked folder"
ln -s "$VELSOR_HOME/certstore.db" "$work/linked-store.db"
mv "$VELSOR_HOME/certstore.db" "$work/store.db"
ln -s "$work/store.db" "$VELSOR_HOME/certstore.db"
"$velsor" store list >"$work/out" 2>&1 && fail "a linked database file is refused"
grep -q "not a regular file" "$work/out" || fail "the refusal says why"
rm "$VELSOR_HOME/certstore.db" && mv "$work/store.db" "$VELSOR_HOME/certstore.db"

# Stores the user cannot write. Root writes anything, so the checks then run as nobody.
as_user=()
if [[ $(id -u) == 0 ]]; then
  chown -R nobody: "$work/real"
  as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
fi
chmod 400 "$VELSOR_HOME"/*.db
chmod 500 "$VELSOR_HOME"
"${as_user[@]}" env VELSOR_HOME="$VELSOR_HOME" "$velsor" store list >"$work/out" 2>&1 &&
  grep -q "张三 Demo" "$work/out" || fail "store list on a read-only store"
"${as_user[@]}" env VELSOR_HOME="$VELSOR_HOME" "$script" "$page" >"$work/out" 2>&1 &&
  grep -q "^verified" "$work/out" || fail "signing and verifying on read-only stores"
[[ $(stat -c %a "$VELSOR_HOME/certstore.db") == 400 ]] || fail "a read-only store stays so"
chmod 700 "$VELSOR_HOME"
chmod 600 "$VELSOR_HOME"/*.db

# A row that no longer holds a certificate is named, and the rest still listed.
cat >"$work/damage.js" <<'PAGE'
var c = new ActiveXObject("Velsor.TolvaneVelsor20_64.1");
c.VLServerMode = 1;
c.VLSetPlainText("x");
c.VLAttachedSign("CN=张三 Demo");
WScript.Echo(c.errorNum);
PAGE
chmod a+r "$work/damage.js"
python3 - "$VELSOR_HOME/certstore.db" <<'PY'
import sqlite3, sys
db = sqlite3.connect(sys.argv[1])
db.execute("INSERT INTO certificates (store, encoded) VALUES ('MY', x'3003020101')")
db.commit()
PY
"${as_user[@]}" env VELSOR_HOME="$VELSOR_HOME" "$velsor" store list >"$work/out" 2>&1
grep -q "row [0-9]* of the store holds no certificate that can be read" "$work/out" ||
  fail "store list names the row it cannot read"
grep -q "张三 Demo" "$work/out" || fail "store list still lists the others"

# A damaged store cannot be opened (-10018), whatever part of it is damaged.
python3 - "$VELSOR_HOME/certstore.db" <<'PY'
import sqlite3, sys
sqlite3.connect(sys.argv[1]).execute("DROP TABLE certificate_names")
PY
"${as_user[@]}" env VELSOR_HOME="$VELSOR_HOME" "$script" "$work/damage.js" >"$work/out" 2>&1
grep -qx -- "-10018" "$work/out" || fail "a damaged store gives -10018"

# A damaged registry: registration says why it failed.
head -c 4096 /dev/zero | tr '\0' 'x' >"$VELSOR_HOME/registry.db"
"${as_user[@]}" env VELSOR_HOME="$VELSOR_HOME" "$regsvr" "$module" >"$work/out" 2>&1 &&
  fail "registration into a damaged registry"
grep -q "the registry cannot be opened" "$work/out" || fail "registration says why it failed"
exit $((failures > 0))
