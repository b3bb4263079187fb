#!/usr/bin/env bash
# Bytes on the wire between the real server with robots fighting on a map
# (Arena unless named) and the real game watching them, in both directions;
# then, with --probe, how often each ship on a player's screen is reported.
# Usage: bash scripts/offline bash tools/bandwidth/measure.sh BUILD_DIR DATA_DIR [ROBOTS] [SECONDS] [MAP]
# With BANDWIDTH_SPLIT=1 it also tells where the bytes from the server go.
set -euo pipefail
build=$(realpath "$1"); data=$(realpath "$2")
robots=${3:-15}; seconds=${4:-60}; map=${5:-Arena}
here=$(dirname "$(realpath "$0")")
source "$here/../../tests/e2e/lib.sh"
export QUILLROCK_LOOPBACK_ONLY=1
ip link set lo up 2>/dev/null || true

start_host "$build/quillrock-server" "$data" --name "Bandwidth Server" --maps "$map" --bots "$robots" \
  --max-players $((robots + 2 > 64 ? 64 : robots + 2))
start_game "$build/quillrock" "$data"
join_listed_server
sleep 5
/usr/bin/python3 "$here/wire_bytes.py" --port 3001 --seconds "$seconds" ${BANDWIDTH_SPLIT:+--split}
# A second player without a screen counts the states of the ships near it.
if [ -x "$build/tools/bandwidth/quillrock_report_probe" ]; then
  "$build/tools/bandwidth/quillrock_report_probe" --seconds "$seconds"
fi
