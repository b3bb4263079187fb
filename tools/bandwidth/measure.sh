#!/usr/bin/env bash
# Bytes on the wire between the real server with robots fighting on Arena
# and the real game watching them, in both directions.
# Usage: bash scripts/offline bash tools/bandwidth/measure.sh BUILD_DIR DATA_DIR [ROBOTS] [SECONDS]
set -euo pipefail
build=$(realpath "$1"); data=$(realpath "$2")
robots=${3:-15}; seconds=${4:-60}
here=$(dirname "$(realpath "$0")")
source "$here/../../tests/e2e/lib.sh"
export QUILLROCK_LOOPBACK_ONLY=1
ip link set lo up 2>/dev/null || true

start_host "$build/quillrock-server" "$data" --name "Bandwidth Server" --maps Arena --bots "$robots" --max-players 16
start_game "$build/quillrock" "$data"
join_listed_server
sleep 5
/usr/bin/python3 "$here/wire_bytes.py" --port 3001 --seconds "$seconds"
