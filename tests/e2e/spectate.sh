#!/usr/bin/env bash
# Watching a live game: a pilot among four robots types /spectate, the
# server's status lists it as a watcher, its screen follows a robot, Tab
# follows another, the arrows fly a free camera, /join gives it a ship
# again; then F6 on the LAN list watches the game, whose seats are all
# taken, from the start.
# Usage: spectate.sh GAME_BINARY SERVER_BINARY DATA_DIR [SHOTS_DIR]
source "$(dirname "$0")/lib.sh"
export QUILLROCK_LOOPBACK_ONLY=1
SHOTS=${4:-}

# shot NAME: the screen, kept when a folder for pictures is given
shot() { [ -z "$SHOTS" ] || import -window root "$SHOTS/spectate-$1.png"; }
# status: the operator asks, and the answer comes into the log
status() { echo status >&7; sleep 0.5; }
# say LINE: a line typed at the console
say() {
  hold apostrophe
  xdotool type --delay 20 "$1"; xdotool key Return
}
# caption FILE: the caption over the world, as a picture
caption() {
  import -window root "$E2E_WORK/shot.png"
  convert "$E2E_WORK/shot.png" -crop 600x16+212+4 +repage "$1"
}
differs() { [ "$(compare -metric AE "$1" "$2" null: 2>&1 || true)" != "0" ]; }

start_game "$1" "$3"
to_title
mkfifo "$E2E_WORK/operator"
exec 7<>"$E2E_WORK/operator"
(cd "$3" && exec "$2" --name "Stand Server" --maps Arena --round-minutes 0 --score-limit 126 \
  --max-players 4 --bots 4 --bot-skill 1) <"$E2E_WORK/operator" >"$E2E_WORK/host.log" 2>&1 &
HOST_PID=$!
eventually 30 logged "$E2E_WORK/host.log" "hosting" || fail "the host did not start: $(cat "$E2E_WORK/host.log")"
xdotool key Return
eventually 30 band_has green 136 152 || fail "the server is not listed"
area_has white 1024x16+0+688 || fail "the LAN list does not name the key to watch"
shot lan-list
xdotool key Return
eventually 30 logged "$E2E_WORK/host.log" "Player joined the game" || fail "the join did not reach the server"
eventually 20 radar_shows_map || fail "no map picture in the radar"

say "/spectate"
eventually 20 logged "$E2E_WORK/host.log" "gives up the ship and watches" || fail "/spectate did not reach the server"
status
eventually 20 logged "$E2E_WORK/host.log" "1 watcher of 8 places" || fail "the status counts no watcher"
logged "$E2E_WORK/host.log" '"Player" (player [0-9]*) at 127.0.0.1, watching' || fail "the status lists no watcher"
logged "$E2E_WORK/host.log" "0 people and 4 robots" || fail "a robot did not take the seat given up"
# The camera is on a robot: its name drawn red over the ship at the centre.
eventually 30 area_has red 140x24+542+334 || fail "no ship followed"
sleep 1
shot following
caption "$E2E_WORK/before.png"
hold Tab
eventually 20 caption "$E2E_WORK/after.png" && differs "$E2E_WORK/before.png" "$E2E_WORK/after.png" ||
  fail "Tab did not follow another ship"
shot next-ship
xdotool keydown Right; sleep 1; xdotool keyup Right
caption "$E2E_WORK/free.png"
differs "$E2E_WORK/after.png" "$E2E_WORK/free.png" || fail "the arrows did not free the camera"
shot free-camera

say "/join"
eventually 20 logged "$E2E_WORK/host.log" "takes a seat" || fail "/join did not reach the server"
status
eventually 20 logged "$E2E_WORK/host.log" "1 person and 3 robots" || fail "no seat taken"
xdotool keydown k; sleep 1; xdotool keyup k
shot joined-again

# The game is full of robots in the list; F6 watches it from the start.
xdotool key Escape
eventually 20 band_has white 184 200 || fail "ESC did not return to the menu"
xdotool key Return
eventually 30 band_has green 136 152 || fail "the server is not listed again"
xdotool key F6
eventually 30 logged "$E2E_WORK/host.log" "watches$" || fail "F6 did not watch"
eventually 30 radar_shows_map || fail "no radar for the watcher"
status
eventually 20 logged "$E2E_WORK/host.log" "4 robots (4 wanted) in 4 seats" || fail "the seats are not all taken"
eventually 30 area_has red 140x24+542+334 || fail "the watcher from the list follows no ship"
shot watching-from-list
leave_and_end
echo "spectate: ok"
