#!/usr/bin/env bash
# Turn-left bound to A on the Controls screen stays bound after a restart:
# holding A in a game against the real server turns the ship.
# Usage: controls.sh GAME_BINARY SERVER_BINARY DATA_DIR [SHOT_DIR]
source "$(dirname "$0")/lib.sh"
export QUILLROCK_LOOPBACK_ONLY=1
SHOTS=${4:-}

shot() { [ -z "$SHOTS" ] || import -window root "$SHOTS/$1.png"; }

# ship_picture FILE: the square around the player's ship, 100 px right of
# the centre, where it stays while it does not thrust
ship_picture() {
  import -window root "$E2E_WORK/shot.png"
  convert "$E2E_WORK/shot.png" -crop 48x48+588+360 +repage "$1"
}

# differs A B: the pictures differ in more than a passing bullet's pixels
differs() {
  local changed
  changed=$(compare -metric AE "$1" "$2" null: 2>&1 || true)
  [ "${changed%%[^0-9]*}" -gt 40 ]
}

# No robots: nothing but the keys may change the ship.
start_host "$2" "$3" --name "Controls Server" --maps Arena

start_game "$1" "$3"
to_title
for _ in 1 2 3; do xdotool key Down; sleep 0.1; done
xdotool key Return; sleep 0.3
xdotool key Tab
# Screen y = 384 - (y + 16): the title at hh - 60, the first line at hh - 120.
eventually 20 band_has green 44 60 || fail "no Controls screen"
area_has green "10x16+512+104" || fail "turn left is not listed with J"
xdotool key Return; sleep 0.3
hold a
eventually 20 area_has green "20x16+524+104" || fail "A was not bound to turn left"
shot controls-bound
xdotool key Escape; sleep 0.3
shot options
xdotool key Escape; sleep 0.3
# The instructions show the keys as bound: "A/J      Turn Left".
xdotool key Up; sleep 0.1; xdotool key Return
eventually 20 area_has white "20x16+50+124" || fail "the instructions do not show A beside J"
shot instructions-bound
xdotool key Escape; sleep 0.3
hold F9
game_exits_within "${E2E_EXIT_SECONDS:-1}"

start_game "$1" "$3"
to_title
xdotool key Return
eventually 30 band_has green 136 152 || fail "the server is not listed"
xdotool key Return
eventually 30 logged "$E2E_WORK/host.log" "Player joined the game" || fail "the join did not reach the server"
eventually 20 radar_shows_map || fail "no map picture in the radar"
# A new ship's bubble fades in its first seconds; the ship alone after.
sleep 4
ship_picture "$E2E_WORK/still.png"
hold q
ship_picture "$E2E_WORK/unbound.png"
differs "$E2E_WORK/still.png" "$E2E_WORK/unbound.png" && fail "the ship changed without a bound key"
shot game-before-turn
xdotool keydown a; sleep 0.6; xdotool keyup a
ship_picture "$E2E_WORK/turned.png"
shot game-after-turn
differs "$E2E_WORK/still.png" "$E2E_WORK/turned.png" || fail "the ship did not turn while A was held"

# /help is longer than the console: PageUp shows its start.
# Only the console's white text counts, not the ships flying behind it.
console_picture() {
  import -window root "$E2E_WORK/shot.png"
  convert "$E2E_WORK/shot.png" -crop 600x120+210+600 +repage -fx "(r>0.8&&g>0.8&&b>0.8)?1:0" "$1"
}
hold apostrophe
xdotool type --delay 20 "/help"
# The typed line shows within a few frames; then the help replaces it.
sleep 0.9
console_picture "$E2E_WORK/typed.png"
xdotool key Return
help_shown() { console_picture "$E2E_WORK/help-end.png"; differs "$E2E_WORK/typed.png" "$E2E_WORK/help-end.png"; }
eventually 20 help_shown || fail "/help showed nothing in the console"
shot console-help
xdotool key Prior
paged_back() { console_picture "$E2E_WORK/help-start.png"; differs "$E2E_WORK/help-end.png" "$E2E_WORK/help-start.png"; }
eventually 20 paged_back || fail "PageUp did not page the console"
shot console-paged-back
xdotool key Next; sleep 0.3
shot console-paged-forward
leave_and_end
echo "controls: ok"
