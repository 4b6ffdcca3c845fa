#!/usr/bin/env bash
# The type library description that registration writes is one an IDL compiler takes:
# widl (mingw-w64-tools) compiles it into a 64-bit type library against Wine's automation
# definitions. The Windows build compiles the copy in src/module/windows, which must be the
# same description.
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export VELSOR_HOME=$work/home
"$build/tools/velsor-regsvr/velsor-regsvr" "$build/src/module/OmbrelVelsor20_64.so" >/dev/null
x86_64-w64-mingw32-widl --win64 -I /usr/include/wine/wine/windows \
  -L /usr/lib/x86_64-linux-gnu/wine/x86_64-windows -t -o "$work/velsor.tlb" \
  "$VELSOR_HOME/OmbrelVELSORLib20_64.idl"
test -s "$work/velsor.tlb"
cmp "$VELSOR_HOME/OmbrelVELSORLib20_64.idl" "$source_dir/src/module/windows/OmbrelVELSORLib20_64.idl" || {
  echo "src/module/windows/OmbrelVELSORLib20_64.idl is not current: copy the registered one there"
  exit 1
}
# A type library file starts with "MSFT".
test "$(head -c 4 "$work/velsor.tlb")" = MSFT
echo "type library: $(stat -c %s "$work/velsor.tlb") bytes"
