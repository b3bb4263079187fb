#!/usr/bin/env bash
# 150 ms each way through the relay: the turn key shows on the own ship in
# less than half the round trip, which only a ship turning ahead of the
# server's reports can do.
# Usage: key_to_screen.sh BUILD_DIR DATA_DIR
set -euo pipefail
out=$(PRESSES=6 bash "$(dirname "$0")/../../tools/latency/measure.sh" "$1" "$2" 150)
echo "$out"
median=$(sed -n 's/^median \([0-9]*\).*/\1/p' <<<"$out")
if [ -z "$median" ] || [ "$median" -ge 150 ]; then
  echo "FAIL: key to screen ${median:-unmeasured} ms at 150 ms each way" >&2
  exit 1
fi
