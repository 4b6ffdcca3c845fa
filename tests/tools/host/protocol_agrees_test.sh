#!/usr/bin/env bash
# The host, the extension's two scripts and the page library speak one protocol number.
# Usage: protocol_agrees_test.sh REPO
set -euo pipefail
repo=$1
host=$(sed -n 's/^inline constexpr int kProtocol = \([0-9]*\);/\1/p' "$repo/tools/velsor-host/protocol.h")
for file in extension/background.js extension/content.js web/velsor.js; do
  number=$(sed -n 's/^ *\(export \)\?const PROTOCOL = \([0-9]*\);/\2/p' "$repo/$file")
  [[ -n $host && $number == "$host" ]] || { echo "FAILED: $file says protocol '$number', the host $host"; exit 1; }
done
echo "protocol: $host everywhere"
