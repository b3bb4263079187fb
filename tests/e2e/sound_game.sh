#!/usr/bin/env bash
# The game's sound against the real server with robots, through SDL's disk
# driver: firing writes sound, the menu with F8 pressed writes silence, and
# with a driver that fails the game starts and plays, saying so once;
# --no-sound opens no device.
# Usage: sound_game.sh GAME_BINARY SERVER_BINARY DATA_DIR
source "$(dirname "$0")/lib.sh"
export QUILLROCK_LOOPBACK_ONLY=1

start_host "$2" "$3" --name "Sound Server" --bots 3

start_game "$1" "$3"
to_title
xdotool key Return
eventually 30 band_has green 136 152 || fail "the server is not listed"
xdotool key Return
eventually 30 logged "$E2E_WORK/host.log" "Player joined the game" || fail "the join did not reach the server"
eventually 20 band_has white 4 20 || fail "no frame rate in the top-right corner"
mark=$(audio_mark)
xdotool keydown space; sleep 1; xdotool keyup space
eventually 20 louder_since "$mark" 1000 || fail "firing wrote no sound (peak $(audio_peak "$mark"))"
echo "firing: peak $(audio_peak "$mark")"

xdotool key Escape
eventually 20 band_has white 184 200 || fail "ESC did not return to the menu"
hold F8
# What was heard before the mute is in the file a moment of sound later.
mark=$(audio_mark)
eventually 20 audio_written "$mark" 0.3 || fail "no sound written in the menu at all"
mark=$(audio_mark)
xdotool key Down; sleep 0.3; xdotool key Up
eventually 20 audio_written "$mark" 1 || fail "no sound written in the menu at all"
peak=$(audio_peak "$mark")
[ "$peak" -eq 0 ] || fail "the muted menu was heard (peak $peak)"
hold F8
mark=$(audio_mark)
xdotool key Down
eventually 20 louder_since "$mark" 0 || fail "the menu is silent after F8 again"
hold F9
game_exits_within "${E2E_EXIT_SECONDS:-1}"

# No audio device: the game still starts, joins and plays.
SDL_AUDIODRIVER=nosuchdriver start_game "$1" "$3"
[ "$(grep -c "playing without sound" "$E2E_WORK/game.log")" -eq 1 ] || fail "no single line about the missing sound: $(cat "$E2E_WORK/game.log")"
to_title
xdotool key Return
eventually 30 band_has green 136 152 || fail "the server is not listed without sound"
xdotool key Return
eventually 30 band_has white 4 20 || fail "no game without sound"
hold space
xdotool key Escape
eventually 20 band_has white 184 200 || fail "ESC did not return to the menu without sound"
hold F9
game_exits_within "${E2E_EXIT_SECONDS:-1}"

# --no-sound opens no device at all; a volume out of range is refused.
rm -f "$SDL_DISKAUDIOFILE"
start_game "$1" "$3" --no-sound
[ ! -e "$SDL_DISKAUDIOFILE" ] || fail "--no-sound opened the sound device"
hold F9
game_exits_within "${E2E_EXIT_SECONDS:-1}"
status=0
"$1" --volume 11 2>"$E2E_WORK/volume.log" || status=$?
[ "$status" -eq 2 ] && grep -q "from 0 to 10" "$E2E_WORK/volume.log" || fail "--volume 11 was not refused: $status"

kill -TERM "$HOST_PID"
wait "$HOST_PID" || fail "the server ended with status $?"
HOST_PID=
echo "sound game: ok"
