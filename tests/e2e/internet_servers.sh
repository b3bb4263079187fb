#!/usr/bin/env bash
# The game started with --master lists what a real master lists: Tab on the
# address screen opens the Internet Servers screen, both registered servers
# show, and Enter joins the selected one. With E2E_SHOTS set, the screen
# and the game are kept there as browser-*.png.
# Usage: internet_servers.sh GAME_BINARY SERVER_BINARY MASTER_BINARY DATA_DIR
source "$(dirname "$0")/lib.sh"
export QUILLROCK_LOOPBACK_ONLY=1

MASTER_PID=
SECOND_PID=
stop_extras() {
  for pid in $MASTER_PID $SECOND_PID; do kill "$pid" 2>/dev/null || true; done
  cleanup
}
trap stop_extras EXIT

shot() {
  [ -n "${E2E_SHOTS:-}" ] || return 0
  mkdir -p "$E2E_SHOTS"
  import -window root "$E2E_SHOTS/browser-$1.png"
}

# A master that is no http:// address is refused at once, saying why.
status=0
"$1" --master ftp://master.example.org 2>"$E2E_WORK/master-option.log" || status=$?
[ "$status" -eq 2 ] && grep -q "quillrock: --master 'ftp://master.example.org' is not an http:// address" \
  "$E2E_WORK/master-option.log" || fail "a wrong --master was not refused: $status"

free_port() { python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }
MASTER_PORT=$(free_port)
"$3" --listen "127.0.0.1:$MASTER_PORT" >"$E2E_WORK/master.log" 2>&1 &
MASTER_PID=$!
master_up() { python3 -c "import urllib.request; urllib.request.urlopen('http://127.0.0.1:$MASTER_PORT/servers.json', timeout=2)" 2>/dev/null; }
eventually 30 master_up || fail "the master did not start"

# Real servers register with the real master, which proves their ports.
MASTER_URL="http://127.0.0.1:$MASTER_PORT"
start_host "$2" "$4" --name "Alpha Station" --port 3011 --bots 1 --maps Arena --master "$MASTER_URL"
(cd "$4" && exec "$2" --name "Bravo Base" --port 3012 --bots 1 --maps Arena --master "$MASTER_URL") \
  >"$E2E_WORK/second.log" 2>&1 &
SECOND_PID=$!
eventually 30 logged "$E2E_WORK/second.log" "hosting" || fail "the second host did not start"
for log in host second; do
  eventually 20 logged "$E2E_WORK/$log.log" "listed by the master at $MASTER_URL" ||
    fail "$log not listed: $(grep master "$E2E_WORK/$log.log")"
done

start_game "$1" "$4" --master "$MASTER_URL"
to_title
xdotool key Down Return                 # Join an Internet Game
eventually 20 band_has green 84 100 || fail "no address screen"
xdotool key Tab
# The first listed server is selected (green), the second under it (white).
eventually 30 band_has green 136 152 || fail "the first server is not listed"
eventually 30 band_has white 152 168 || fail "the second server is not listed"
sleep 1.5 # the selected server's ping comes in
shot list
xdotool key Return
eventually 30 logged "$E2E_WORK/host.log" "Player joined the game" || fail "Enter did not join the selected server"
eventually 30 radar_shows_map || fail "no map picture in the radar"
shot joined
logged "$E2E_WORK/second.log" "Player joined the game" && fail "the other server was joined"
leave_and_end
echo "internet servers: ok"
