#!/usr/bin/env bash
# The LAN browser and the typed address both find a game server with
# robots; a name that does not resolve says why nothing was searched; a
# letter in the list leads back to the menu; Enter takes the player into
# the game, and ESC back out.
# Usage: browser.sh GAME_BINARY SERVER_BINARY DATA_DIR
source "$(dirname "$0")/lib.sh"
export QUILLROCK_LOOPBACK_ONLY=1

start_host "$2" "$3" --name "Browser Server" --bots 2 --maps Arena

start_game "$1" "$3"
to_title
# A name that does not resolve: the reason, in white under "No Servers
# Found...". First, while no search has listed a host to stay in the list.
xdotool key Down Return                 # Join an Internet Game
# Typing waits for the address screen, whose heading is the only green up there.
eventually 20 band_has green 84 100 || fail "no address screen"
xdotool type --delay 20 "no-such-host.invalid"
xdotool key Return
eventually 30 band_has white 136 152 || fail "no reason shown for a name that does not resolve"
xdotool key Escape
eventually 20 band_has green 332 348 || fail "ESC did not lead back to the menu"
xdotool key Up Return                   # Join a LAN Game
eventually 30 band_has green 136 152 || fail "the server is not listed (LAN)"
xdotool key x
eventually 20 band_has green 316 332 || fail "a letter did not lead back to the menu"
xdotool key Down Return                 # Join an Internet Game
eventually 20 band_has green 84 100 || fail "no address screen"
for _ in $(seq 25); do xdotool key BackSpace; done
xdotool type --delay 20 "127.0.0.1"
eventually 20 band_has white 104 120 || fail "the typed address is not shown"
xdotool key Return
eventually 30 band_has green 136 152 || fail "the server is not listed (typed address)"
xdotool key Return
eventually 30 logged "$E2E_WORK/host.log" "Player joined the game" || fail "the game did not connect"
leave_and_end
echo "browser: ok"
