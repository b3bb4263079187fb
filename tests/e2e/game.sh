#!/usr/bin/env bash
# A whole round against the scripted host: join from the LAN browser, fly,
# chat, see the results, start the next map, leave with ESC.
# Usage: game.sh GAME_BINARY HOST_BINARY DATA_DIR
source "$(dirname "$0")/lib.sh"
export QUILLROCK_LOOPBACK_ONLY=1

start_host "$2" "$3" --name "Round Host" --round-seconds 6

start_game "$1" "$3"
xdotool key a; sleep 0.3
xdotool key Return
eventually 5 band_has green 136 152 || fail "the host is not listed"
xdotool key Return
eventually 5 logged "$E2E_WORK/host.log" "joined: Player" || fail "the join did not reach the host"
eventually 3 band_has white 4 20 || fail "no frame rate in the top-right corner"
eventually 3 radar_shows_map || fail "no map picture in the radar"
hold k
hold apostrophe
xdotool type --delay 20 "hello host"; xdotool key Return
eventually 3 logged "$E2E_WORK/host.log" "chat: hello host" || fail "the chat line did not reach the host"
eventually 3 band_has white 720 736 || fail "the echoed chat line is not in the console"
eventually 10 results_banner || fail "no results banner"
eventually 10 radar_shows_map || fail "no radar after the next map"
xdotool key Escape
eventually 3 band_has white 184 200 || fail "ESC did not return to the menu"
hold F9
game_exits_within "${E2E_EXIT_SECONDS:-1}"
echo "game: ok"
