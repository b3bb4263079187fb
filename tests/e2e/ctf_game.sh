#!/usr/bin/env bash
# Capture the flag against the real server with robots: the radar marks
# each side's base and flag in the side's tint, each flag ringed in white,
# and the score line at the top shows both sides' tints.
# Usage: ctf_game.sh GAME_BINARY SERVER_BINARY DATA_DIR
source "$(dirname "$0")/lib.sh"
export QUILLROCK_LOOPBACK_ONLY=1

start_host "$2" "$3" --name "Flag Server" --mode ctf --maps Duel --bots 3
start_game "$1" "$3"
join_listed_server

# count_in AREA FX: how many pixels of the area the expression picks
count_in() {
  import -window root "$E2E_WORK/shot.png"
  convert "$E2E_WORK/shot.png" -crop "$1" +repage -fx "$2" -format "%[fx:round(mean*w*h)]" info:
}
red_tint="(r>0.9&&g>0.28&&g<0.42&&b>0.22&&b<0.38)?1:0"
blue_tint="(r>0.33&&r<0.47&&g>0.68&&g<0.82&&b>0.9)?1:0"
white="(r>0.9&&g>0.9&&b>0.9)?1:0"
# A ship's dot is 4 pixels; a base's square 36 and a flag's middle 16.
marked() {
  [ "$(count_in 190x190+5+5 "$red_tint")" -ge 30 ] && [ "$(count_in 190x190+5+5 "$blue_tint")" -ge 30 ] &&
    [ "$(count_in 190x190+5+5 "$white")" -ge 20 ]
}
eventually 45 marked || fail "no bases and flags on the radar (red $(count_in 190x190+5+5 "$red_tint"),\
 blue $(count_in 190x190+5+5 "$blue_tint"), white $(count_in 190x190+5+5 "$white"))"
[ "$(count_in 200x16+512+20 "$red_tint")" -gt 0 ] && [ "$(count_in 200x16+512+20 "$blue_tint")" -gt 0 ] ||
  fail "no team score line"
leave_and_end
