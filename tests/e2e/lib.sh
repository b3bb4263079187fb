# Helpers for end-to-end checks of the real program under Xvfb. Source it,
# then call start_game; every check runs inside the caller's namespace.
# Each wait allows a machine some three times slower than one where the
# checks pass alone: a sanitizer build on a machine busy with other work.
set -euo pipefail

E2E_WORK=$(mktemp -d)
export XDG_CONFIG_HOME=$E2E_WORK/config XDG_DATA_HOME=$E2E_WORK/data QUILLROCK_NO_DIALOGS=1
# The game plays with sound, written to a file instead of a device.
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$E2E_WORK/audio.raw

E2E_XVFB=
GAME_PID=
HOST_PID=
cleanup() {
  [ -n "$GAME_PID" ] && kill "$GAME_PID" 2>/dev/null || true
  # The host lets its players go before the port closes: wait for it, so
  # the next check can open the port again.
  if [ -n "$HOST_PID" ]; then kill "$HOST_PID" 2>/dev/null || true; wait "$HOST_PID" 2>/dev/null || true; fi
  [ -n "$E2E_XVFB" ] && kill "$E2E_XVFB" 2>/dev/null || true
  rm -rf "$E2E_WORK"
}
trap cleanup EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

# open_display: an X server of the check's own, in $DISPLAY. The server
# takes a number no other server it can see holds, and writes it once it
# accepts connections; scripts/offline hides every other namespace's
# servers, so checks side by side, from one clone or several, never meet.
# It never resets when its last client leaves (a game that quit): a key
# sent then, while a busy machine's server starts over, finds no display.
open_display() {
  local number=
  mkfifo "$E2E_WORK/display"
  Xvfb -displayfd 3 -noreset -screen 0 1024x768x24 -nolisten tcp 3>"$E2E_WORK/display" >"$E2E_WORK/xvfb.log" 2>&1 &
  E2E_XVFB=$!
  read -r -t 30 number <"$E2E_WORK/display" || true
  [ -n "$number" ] || fail "Xvfb did not start: $(cat "$E2E_WORK/xvfb.log")"
  export DISPLAY=:$number
}
open_display

source "$(dirname "${BASH_SOURCE[0]}")/eventually.sh"

# hold KEY: presses a key long enough for a frame to see it held (the game
# reads held keys, as a player holds them, not key events)
hold() {
  xdotool keydown "$1"; sleep 0.3; xdotool keyup "$1"
}

# logged FILE TEXT: the file holds the text
logged() { grep -q "$2" "$1"; }

# start_host BINARY DATA_DIR ARGS...: the game server, once it is hosting
start_host() {
  local binary=$1 data=$2; shift 2
  (cd "$data" && exec "$binary" "$@") >"$E2E_WORK/host.log" 2>&1 &
  HOST_PID=$!
  eventually 30 logged "$E2E_WORK/host.log" "hosting" || fail "the host did not start: $(cat "$E2E_WORK/host.log")"
}

# start_game BINARY DATA_DIR [GAME_ARGS...]
start_game() {
  (cd "$2" && exec "$1" "${@:3}") >"$E2E_WORK/game.log" 2>&1 &
  GAME_PID=$!
  # The intro's first caption shows once the window is up and drawing.
  eventually 45 band_has white 350 370 || fail "the game did not start: $(cat "$E2E_WORK/game.log")"
  # Held keys count only once the game knows its window has the keyboard:
  # X gives it, then the game hears of it a frame or two later.
  eventually 20 focused || fail "the game's window never had the keyboard"
  sleep 0.6
}

game_window() { xdotool search --pid "$GAME_PID" --name "Quillrock" | head -1; }
focused() {
  local window
  window=$(game_window)
  [ -n "$window" ] && [ "$(xdotool getwindowfocus 2>/dev/null)" = "$window" ]
}

# to_title: a typed key ends the intro at once, for the title menu
to_title() {
  xdotool key a
  eventually 20 band_has white 184 200 || fail "no title"
}

# band_has COLOUR Y0 Y1: some pixel in rows [Y0, Y1) is white or green
band_has() { area_has "$1" "1024x$(($3 - $2))+0+$2"; }

# radar_shows_map: walls of the map picture in the radar's square
radar_shows_map() {
  import -window root "$E2E_WORK/shot.png"
  convert "$E2E_WORK/shot.png" -crop 190x190+5+5 +repage -fx "(b>0.8&&r<0.5)?1:0" -format "%[fx:maxima.r]" info: |
    grep -q '^1'
}

# join_listed_server: from the title, the address screen's search lists the
# server and Enter joins it, until its map shows in the radar
join_listed_server() {
  to_title
  xdotool key Return
  eventually 30 band_has green 136 152 || fail "the server is not listed"
  xdotool key Return
  eventually 30 radar_shows_map || fail "no map picture in the radar"
}

# results_banner: "You Won!" in green or "You Lost" in red above the standings
results_banner() {
  import -window root "$E2E_WORK/shot.png"
  convert "$E2E_WORK/shot.png" -crop 200x16+412+268 +repage -fx "(r>0.8&&g<0.2)||(g>0.8&&r<0.2)?1:0" \
    -format "%[fx:maxima.r]" info: | grep -q '^1'
}

# game_exits_within SECONDS: the game ends with status 0 in time
# leave_and_end: ESC back to the menu (the server hears the player leave),
# F9 quits in time, and the server ends cleanly on SIGTERM
leave_and_end() {
  xdotool key Escape
  eventually 20 band_has white 184 200 || fail "ESC did not return to the menu"
  eventually 20 logged "$E2E_WORK/host.log" "Player left the game" || fail "leaving did not reach the server"
  hold F9
  game_exits_within "${E2E_EXIT_SECONDS:-1}"
  kill -TERM "$HOST_PID"
  wait "$HOST_PID" || fail "the server ended with status $?"
  HOST_PID=
  logged "$E2E_WORK/host.log" "SIGTERM: the server stops" || fail "the log does not say what stopped the server"
  logged "$E2E_WORK/host.log" "ending the session" || fail "the server did not end its session"
}

game_exits_within() {
  local deadline=$((SECONDS + $1 + 1))
  while kill -0 "$GAME_PID" 2>/dev/null; do
    [ $SECONDS -ge $deadline ] && fail "still running after $1 s"
    sleep 0.1
  done
  wait "$GAME_PID" || fail "exit status $?"
  GAME_PID=
}

# area_has COLOUR WxH+X+Y: some pixel of the rectangle is white, green, blue or red
area_has() {
  import -window root "$E2E_WORK/shot.png"
  local crop="$E2E_WORK/area.png"
  convert "$E2E_WORK/shot.png" -crop "$2" +repage "$crop"
  case "$1" in
    white) convert "$crop" -fx "(r>0.8&&g>0.8&&b>0.8)?1:0" -format "%[fx:maxima.r]" info: ;;
    green) convert "$crop" -fx "(g>0.8&&r<0.2&&b<0.2)?1:0" -format "%[fx:maxima.r]" info: ;;
    blue) convert "$crop" -fx "(b>0.8&&r<0.2&&g<0.2)?1:0" -format "%[fx:maxima.r]" info: ;;
    red) convert "$crop" -fx "(r>0.8&&g<0.2&&b<0.2)?1:0" -format "%[fx:maxima.r]" info: ;;
  esac | grep -q '^1'
}

# radar_walls FILE: the blue walls in the radar's map square, without the
# ships' dots, so other ships flying about do not count as the player moving
radar_walls() {
  import -window root "$E2E_WORK/shot.png"
  convert "$E2E_WORK/shot.png" -crop 190x190+5+5 +repage -channel B -separate -threshold 80% "$1"
}

# radar_scrolled FILE: the radar's walls are no longer those in FILE
radar_scrolled() {
  radar_walls "$E2E_WORK/walls.png"
  # PNG files carry their dates, so compare pixels, not files.
  local changed
  changed=$(compare -metric AE "$E2E_WORK/walls.png" "$1" null: 2>&1 || true)
  [[ $changed =~ ^[1-9] ]]
}

# audio_mark: how many bytes of sound the game has written so far
audio_mark() { stat -c %s "$SDL_DISKAUDIOFILE" 2>/dev/null || echo 0; }

# audio_peak FROM: the loudest 16-bit sample the game wrote after byte FROM
audio_peak() {
  tail -c +$(($1 + 1)) "$SDL_DISKAUDIOFILE" | od -An -v -t d2 |
    awk '{ for (i = 1; i <= NF; i++) { v = $i < 0 ? -$i : $i; if (v > peak) peak = v } } END { print peak + 0 }'
}

# louder_since FROM PEAK: some sample after byte FROM is louder than PEAK
louder_since() { [ "$(audio_peak "$1")" -gt "$2" ]; }

# audio_written FROM SECONDS: the game has written that much sound after
# byte FROM (stereo 16-bit at 22050 Hz); the file is the sound's own clock,
# however late a busy machine's sound thread runs
audio_written() { [ "$(audio_mark)" -ge $(($1 + $(awk -v s="$2" 'BEGIN { print int(s * 88200) }'))) ]; }
