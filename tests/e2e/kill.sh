#!/usr/bin/env bash
# Either end dies without a word (kill -9). A dead server: the game shows
# the termination lines within 5 seconds and ESC leads back to the menu. A
# dead game: the server lets its player go within its time-out.
# Usage: kill.sh GAME_BINARY SERVER_BINARY DATA_DIR
source "$(dirname "$0")/lib.sh"
export QUILLROCK_LOOPBACK_ONLY=1

TERMINATION_MS=5000
# The transport's longest time-out (10 s) counts from the first send the
# dead game never answered, a tick or so after the kill, and ends at the
# first retry past it. Retries wait twice as long each time, from a few
# round trips at first: on a busy machine, whose round trips are long, the
# last one may come nearly twice the time-out after the kill (13 s seen at
# a load of 10 on two cores; 5 to 6 s on a quiet machine).
DROP_MS=20000

now_ms() { date +%s%3N; }

# termination_lines FILE: both termination lines in the console of a
# screenshot, newest at the bottom: "The server has terminated your
# connection.  Sorry." (50 characters of 10 pixels from x 210) above "Press
# escape to return to the main menu." (40). No line the game shows while
# playing is that long.
termination_lines() {
  local white="(r>0.8&&g>0.8&&b>0.8)?1:0"
  convert "$1" -crop 50x16+655+704 +repage -fx "$white" -format "%[fx:maxima.r]" info: | grep -q '^1' || return 1
  convert "$1" -crop 30x16+580+720 +repage -fx "$white" -format "%[fx:maxima.r]" info: | grep -q '^1' || return 1
  ! convert "$1" -crop 100x16+615+720 +repage -fx "$white" -format "%[fx:maxima.r]" info: | grep -q '^1'
}

# join: from the main menu into a game on the server just started
join() {
  xdotool key Return                      # Join a LAN Game
  eventually 30 band_has green 136 152 || fail "the server is not listed"
  xdotool key Return
  eventually 30 logged "$E2E_WORK/host.log" "Player joined the game" || fail "the join did not reach the server"
  eventually 30 band_has white 4 20 || fail "no frame rate in the top-right corner"
  eventually 30 radar_shows_map || fail "no map picture in the radar"
}

start_host "$2" "$3" --name "Kill Server" --bots 2 --maps Arena
start_game "$1" "$3"
to_title
join
import -window root "$E2E_WORK/playing.png"
termination_lines "$E2E_WORK/playing.png" && fail "the termination lines show before the server died"

kill -9 "$HOST_PID"
killed=$(now_ms)
wait "$HOST_PID" 2>/dev/null || true
HOST_PID=
# Screenshots first, looked at afterwards, each timed when it begins: the
# lines came after the shot before it and before this one ended, and a busy
# machine's slow shots would otherwise all count against the game. Then
# slower looks well past the limit, so that a late notice is measured.
shots=()
while [ $(($(now_ms) - killed)) -lt $((TERMINATION_MS + 500)) ]; do
  at=$(($(now_ms) - killed))
  import -window root "$E2E_WORK/after.png"
  mv "$E2E_WORK/after.png" "$E2E_WORK/after-$at.png"
  shots+=("$at")
done
shown=
for at in "${shots[@]}"; do
  if termination_lines "$E2E_WORK/after-$at.png"; then shown=$at; break; fi
done
while [ -z "$shown" ] && [ $(($(now_ms) - killed)) -lt 15000 ]; do
  at=$(($(now_ms) - killed))
  import -window root "$E2E_WORK/shot.png"
  termination_lines "$E2E_WORK/shot.png" && shown=$at
done
[ -n "$shown" ] || fail "no termination lines 15 s after the server was killed"
echo "termination lines ${shown} ms after kill -9 of the server"
[ "$shown" -le "$TERMINATION_MS" ] || fail "the termination lines took ${shown} ms, more than ${TERMINATION_MS} ms"
xdotool key Escape
eventually 20 band_has white 184 200 || fail "ESC did not return to the menu"

start_host "$2" "$3" --name "Kill Server" --bots 2 --maps Arena
sleep 0.3
join
kill -9 "$GAME_PID"
killed=$(now_ms)
wait "$GAME_PID" 2>/dev/null || true
GAME_PID=
dropped=
while [ $(($(now_ms) - killed)) -lt $((DROP_MS + 5000)) ]; do
  if logged "$E2E_WORK/host.log" "Player left the game"; then dropped=$(($(now_ms) - killed)); break; fi
  sleep 0.05
done
[ -n "$dropped" ] || fail "the server still holds the player $((DROP_MS + 5000)) ms after the game was killed"
echo "the server let the player go ${dropped} ms after kill -9 of the game"
[ "$dropped" -le "$DROP_MS" ] || fail "the player went after ${dropped} ms, more than ${DROP_MS} ms"
kill -0 "$HOST_PID" || fail "the server died with its player"
echo "kill: ok"
