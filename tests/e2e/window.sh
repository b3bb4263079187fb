#!/usr/bin/env bash
# Alt+Enter in a game against the real server: a window the player resizes,
# full screen again, the window again at the size it had; all the while the
# game stays connected.
# Usage: window.sh GAME_BINARY SERVER_BINARY DATA_DIR [SHOT_DIR]
source "$(dirname "$0")/lib.sh"
export QUILLROCK_LOOPBACK_ONLY=1
SHOTS=${4:-}

shot() { [ -z "$SHOTS" ] || import -window root "$SHOTS/$1.png"; }
# window_is WxH: the game window has that size
window_is() { xdotool getwindowgeometry "$(game_window)" | grep -q "Geometry: $1"; }

start_host "$2" "$3" --name "Window Server" --maps Arena --bots 1

start_game "$1" "$3"
to_title
xdotool key Return
eventually 30 band_has green 136 152 || fail "the server is not listed"
xdotool key Return
eventually 30 logged "$E2E_WORK/host.log" "Player joined the game" || fail "the join did not reach the server"
eventually 20 radar_shows_map || fail "no map picture in the radar"
window_is 1024x768 || fail "the game does not fill the screen"

# No window manager says when the window has left the full screen: a few
# of the slowest frames.
xdotool key alt+Return; sleep 1.5
xdotool windowsize "$(game_window)" 512 384
eventually 20 window_is 512x384 || fail "the window cannot be resized"
# The picture scaled to half: the radar column's green frame ends at x = 100
# instead of 200, and nothing is drawn outside the window.
scaled() { area_has green "6x100+97+150" && ! area_has green "6x100+197+150"; }
eventually 20 scaled || fail "the radar's frame is not scaled with the window"
area_has white "512x384+512+384" && fail "something drawn outside the window"
shot window-resized

xdotool key alt+Return
eventually 20 window_is 1024x768 || fail "Alt+Enter did not return to the full screen: $(xdotool getwindowgeometry "$(game_window)"; cat $E2E_WORK/game.log)"
eventually 20 radar_shows_map || fail "no radar on the full screen"
shot window-full-screen
xdotool key alt+Return
eventually 20 window_is 512x384 || fail "the window did not keep its size"
xdotool key alt+Return
eventually 20 window_is 1024x768 || fail "Alt+Enter twice did not return to the full screen"

hold apostrophe
xdotool type --delay 20 "still here"; xdotool key Return
eventually 20 logged "$E2E_WORK/host.log" "chat: Player: still here" || fail "the game lost its connection"
logged "$E2E_WORK/host.log" "Player left the game" && fail "the player left while switching"
leave_and_end
echo "window: ok"
