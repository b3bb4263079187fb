#!/usr/bin/env bash
# The LAN browser and the typed address both find a scripted host; Enter
# takes the player into the game; ESC and a letter lead back to the menu.
# Usage: browser.sh GAME_BINARY HOST_BINARY DATA_DIR
source "$(dirname "$0")/lib.sh"
export QUILLROCK_LOOPBACK_ONLY=1

start_host "$2" "$3" --name "E2E Host" --announce 3/8 --quiet

start_game "$1" "$3"
xdotool key a; sleep 0.3
xdotool key Return                      # Join a LAN Game
eventually 5 band_has green 136 152 || fail "the host is not listed (LAN)"
xdotool key x
eventually 3 band_has green 316 332 || fail "a letter did not lead back to the menu"
xdotool key Down Return                 # Join an Internet Game
# Typing waits for the address screen, whose heading is the only green up there.
eventually 3 band_has green 84 100 || fail "no address screen"
xdotool type --delay 20 "127.0.0.1"
eventually 3 band_has white 104 120 || fail "the typed address is not shown"
xdotool key Return
eventually 5 band_has green 136 152 || fail "the host is not listed (typed address)"
xdotool key Return
eventually 5 logged "$E2E_WORK/host.log" "player 1 connected" || fail "the game did not connect"
xdotool key Escape
eventually 3 band_has white 184 200 || fail "ESC did not return to the menu"
hold F9
game_exits_within "${E2E_EXIT_SECONDS:-1}"
echo "browser: ok"
