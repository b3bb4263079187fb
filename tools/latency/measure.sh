#!/usr/bin/env bash
# Key to screen through the relay at each delay given: the real game under
# Xvfb joins the real server (no robots) through the relay and the turn key
# is timed from press to the first change where the own ship is drawn.
# Usage: bash scripts/offline bash tools/latency/measure.sh BUILD_DIR DATA_DIR [DELAY_MS...]
set -euo pipefail
build=$(realpath "$1"); data=$(realpath "$2"); shift 2
delays=("${@:-0}")
here=$(dirname "$(realpath "$0")")
source "$here/../../tests/e2e/lib.sh"
export QUILLROCK_LOOPBACK_ONLY=1
ip link set lo up 2>/dev/null || true

start_host "$build/quillrock-server" "$data" --name "Latency Server" --maps Arena --port 3002
for delay in "${delays[@]}"; do
  "$build/tools/relay/quillrock_udp_relay" --listen 3001 --server 127.0.0.1:3002 --delay "$delay" \
    --jitter 0 --loss 0 --duplicate 0 --reorder 0 >"$E2E_WORK/relay.log" 2>&1 &
  relay=$!
  start_game "$build/quillrock" "$data"
  join_listed_server
  # A new ship's bubble fades in its first seconds.
  sleep 4
  echo "== $delay ms each way"
  /usr/bin/python3 "$here/key_to_screen.py" --presses "${PRESSES:-10}" | tail -1
  kill "$GAME_PID"; wait "$GAME_PID" 2>/dev/null || true; GAME_PID=
  kill -INT "$relay"; wait "$relay" 2>/dev/null || true
done
