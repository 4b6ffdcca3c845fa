#!/usr/bin/env bash
# The layering check passes on our tree and fails, naming the line, on a tree where a
# folder reaches a later one or two platform services include each other.
set -euo pipefail
check=$1
repo=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 "$check" >/dev/null || { echo "our own tree breaks the layering:"; python3 "$check"; exit 1; }

mkdir -p "$work/src/formats" "$work/src/platform/com" "$work/src/platform/crypt" "$work/src/platform/base"
echo '#include "control/dispatcher.h"' >"$work/src/formats/base64.h"
echo '#include "platform/crypt/cert_store.h"' >"$work/src/platform/com/variant.h"
echo '#include "platform/com/variant.h"' >"$work/src/platform/crypt/cert_store.h"
echo '#include "platform/codepage/utf.h"' >"$work/src/platform/base/result.h"
mkdir -p "$work/src/crypto"
echo '#include "platform/crypt/openssl/cert_context_openssl.h"' >"$work/src/crypto/engine.cpp"
printf '#include <openssl/x509.h>\n' >"$work/src/platform/crypt/name_text.h"
mkdir -p "$work/tests/formats"
echo '#include "control/dispatcher.h"' >"$work/tests/formats/base64_test.cpp"
if python3 "$check" --root "$work" >"$work/out"; then
  echo "the check passed a tree that breaks the layering"; exit 1
fi
grep -q 'src/formats/base64.h:1: formats includes control: #include "control/dispatcher.h"' "$work/out"
grep -q 'platform services com and crypt include each other' "$work/out"
grep -q 'src/platform/base/result.h:1: platform/base includes platform/service' "$work/out"
grep -q 'src/crypto/engine.cpp:1: includes the POSIX-only platform/crypt/openssl/cert_context_openssl.h' "$work/out"
grep -q 'src/platform/crypt/name_text.h:1: a crypt public header includes openssl/x509.h' "$work/out"
grep -q 'tests/formats/base64_test.cpp:1: formats includes control' "$work/out"
echo "layering check: ok"
