#!/usr/bin/env bash
# A round against the real game server: found in the LAN list, join, fly,
# fire, chat, the results, the next map, ESC and F9; then the server ends
# on SIGTERM with status 0; the game is in the demos folder and plays back,
# and so does the server's recording of the round, following its leader.
# Usage: server_game.sh GAME_BINARY SERVER_BINARY DATA_DIR
source "$(dirname "$0")/lib.sh"
export QUILLROCK_LOOPBACK_ONLY=1

# The round of 12 s starts with the host: the game is on its title first,
# however long a busy machine takes to start it, so the player is in the
# round, and in its recording, from its first seconds.
start_game "$1" "$3"
to_title
start_host "$2" "$3" --name "Round Server" --maps Arena,Warren --round-minutes 0.2 --record "$E2E_WORK/rounds"
xdotool key Return
eventually 30 band_has green 136 152 || fail "the server is not listed"
xdotool key Return
eventually 30 logged "$E2E_WORK/host.log" "Player joined the game" || fail "the join did not reach the server"
eventually 20 band_has white 4 20 || fail "no frame rate in the top-right corner"
eventually 20 radar_shows_map || fail "no map picture in the radar"
radar_walls "$E2E_WORK/before.png"
xdotool keydown k; sleep 1; xdotool keyup k
eventually 20 radar_scrolled "$E2E_WORK/before.png" || fail "the ship did not move while K was held"
hold space
hold apostrophe
xdotool type --delay 20 "hello server"; xdotool key Return
eventually 20 logged "$E2E_WORK/host.log" "chat: Player: hello server" || fail "the chat line did not reach the server"
eventually 20 band_has white 720 736 || fail "the relayed chat line is not in the console"
eventually 45 results_banner || fail "no results banner"
eventually 30 logged "$E2E_WORK/host.log" "round started on map Warren" || fail "no next map"
eventually 30 radar_shows_map || fail "no radar after the next map"
leave_and_end
# The game went into the demos folder, named by its start and first map;
# a few seconds of one player's game come to some 10 KB, less on a slow
# machine that draws fewer frames, and a header alone to 60 bytes.
demo=$(ls "$E2E_WORK"/data/quillrock/demos/*_Arena.qrdemo 2>/dev/null | head -1)
[ -n "$demo" ] && [ "$(stat -c %s "$demo")" -gt 4000 ] ||
  fail "no demo of the game in the demos folder: $(ls -l "$E2E_WORK"/data/quillrock/demos 2>&1)"
round=$(ls "$E2E_WORK"/rounds/*_Arena.qrdemo 2>/dev/null | head -1)
[ -n "$round" ] || fail "the server recorded no round: $(ls "$E2E_WORK/rounds")"

# It plays back with the game's own frames and its caption, and F9 leaves;
# half of it plays to where it ends; random bytes are refused.
head -c $(($(stat -c %s "$demo") / 2)) "$demo" >"$E2E_WORK/half.qrdemo"
for played in "$demo" "$E2E_WORK/half.qrdemo" "$round"; do
  (cd "$3" && exec "$1" --demo "$played") >"$E2E_WORK/game.log" 2>&1 &
  GAME_PID=$!
  eventually 30 radar_shows_map || fail "no radar in the demo $played"
  area_has white 300x16+362+4 || fail "no caption over the demo $played"
  # The server's watcher has no ship: the camera is on the leader, the
  # only pilot, whose name is drawn over the ship at the centre.
  [ "$played" = "$round" ] && { eventually 30 area_has red 140x24+542+334 || fail "no ship followed in $round"; }
  hold F9
  game_exits_within $((2 * ${E2E_EXIT_SECONDS:-1}))
done
# refused() FILE REASON: the game will not play it, says why, ends with 1
refused() {
  local status=0
  (cd "$3" && exec "$1" --demo "$4") >"$E2E_WORK/game.log" 2>&1 || status=$?
  [ "$status" -eq 1 ] && grep -q "Cannot play the demo .*$5" "$E2E_WORK/game.log" ||
    fail "$4 played as a demo (status $status): $(cat "$E2E_WORK/game.log")"
}
head -c 3000 /dev/urandom >"$E2E_WORK/random.qrdemo"
refused "$@" "$E2E_WORK/random.qrdemo" "not a Quillrock demo"
head -c 60 "$demo" >"$E2E_WORK/header.qrdemo"
refused "$@" "$E2E_WORK/header.qrdemo" "no part of the game"
echo "server game: ok"
