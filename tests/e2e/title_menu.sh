#!/usr/bin/env bash
# The intro, the title menu with its wrap-around, and both ways out.
# Usage: title_menu.sh GAME_BINARY DATA_DIR
source "$(dirname "$0")/lib.sh"

start_game "$1" "$2"
band_has white 350 370 || fail "intro caption missing"
xdotool key a
eventually 20 band_has white 184 200 || fail "title missing"
# Screen y = 384 - (y + 16) for a text whose bottom edge is at y.
band_has green 316 332 || fail "first item not highlighted"
xdotool key Up
eventually 20 band_has green 396 412 || fail "Up from the first item does not select Quit"
xdotool key Return
game_exits_within "${E2E_EXIT_SECONDS:-1}"

start_game "$1" "$2"
hold F9
game_exits_within "${E2E_EXIT_SECONDS:-1}"
echo "title menu: ok"
