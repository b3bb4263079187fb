#!/usr/bin/env bash
# The installed programs, started from / without --data: a server with three
# robots and the game find their pictures and maps beside them. The game
# shows its menu, lists the server, joins, lists the robots, flies, leaves
# with ESC and quits with F9, heard from the installed sounds; the server ends on SIGTERM with status 0.
# Software centres and file managers find its metainfo and its demo type.
# Usage: installed_game.sh BUILD_DIR
source "$(dirname "$0")/lib.sh"
export QUILLROCK_LOOPBACK_ONLY=1

prefix=$E2E_WORK/prefix
cmake --install "$1" --prefix "$prefix" >"$E2E_WORK/install.log" 2>&1 ||
  fail "install: $(cat "$E2E_WORK/install.log")"
for file in bin/quillrock bin/quillrock-server bin/quillrock-mapmaker bin/quillrock-master \
            share/quillrock/Graphics/Font2.tga share/quillrock/Maps/Warren.smp \
            share/quillrock/Sounds/Shot.wav share/quillrock/Sounds/Thrust.wav \
            share/applications/quillrock.desktop share/icons/hicolor/32x32/apps/quillrock.png \
            share/man/man6/quillrock.6 share/man/man6/quillrock-server.6 share/man/man6/quillrock-mapmaker.6 \
            share/man/man6/quillrock-master.6 share/doc/quillrock/examples/quillrock-master.service \
            share/metainfo/net.brindlewood.Quillrock.metainfo.xml share/mime/packages/quillrock.xml; do
  [ -e "$prefix/$file" ] || fail "$file is not installed"
done
# Software centres list it, and desktops know its demos by their first bytes.
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$prefix/share/metainfo/net.brindlewood.Quillrock.metainfo.xml" >"$E2E_WORK/appstream.log" 2>&1 ||
    fail "the metainfo does not validate: $(cat "$E2E_WORK/appstream.log")"
fi
if command -v update-mime-database >/dev/null; then
  update-mime-database "$prefix/share/mime" >"$E2E_WORK/mime.log" 2>&1 || fail "the demo type: $(cat "$E2E_WORK/mime.log")"
  [ -e "$prefix/share/mime/application/x-quillrock-demo.xml" ] && grep -qa QRDEMO "$prefix/share/mime/magic" ||
    fail "the demo type is not known by its first bytes"
fi
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$prefix/share/applications/quillrock.desktop" || fail "the desktop entry does not validate"
fi
# A map that only the installed folder holds, made by the installed map
# maker: the round and the radar's picture then prove that neither program
# fell back to the source tree.
sed 's/^name Arena$/name Annex/' "$(dirname "$0")/../../tools/maps/Arena.map" >"$E2E_WORK/Annex.map"
"$prefix/bin/quillrock-mapmaker" -o "$prefix/share/quillrock/Maps" "$E2E_WORK/Annex.map" >"$E2E_WORK/mapmaker.log" 2>&1 ||
  fail "the installed map maker: $(cat "$E2E_WORK/mapmaker.log")"

# scoreboard_lines N: the radar's scoreboard holds exactly N lines
scoreboard_lines() {
  local n=$1
  area_has white "180x14+12+$((245 + 16 * (n - 1)))" && ! area_has white "180x14+12+$((245 + 16 * n))"
}

# robots_flying N: the server has seated N robots
robots_flying() { [ "$(grep -c 'robot ".*" flies ship' "$E2E_WORK/host.log")" -eq "$1" ]; }

start_host "$prefix/bin/quillrock-server" / --name "Installed Server" --bots 3 --maps Annex
eventually 30 logged "$E2E_WORK/host.log" "round started on map Annex" || fail "no round on the installed map"
eventually 20 robots_flying 3 || fail "not three robots"

start_game "$prefix/bin/quillrock" /
xdotool key a
eventually 20 band_has white 184 200 || fail "no title: the font was not found"
band_has green 316 332 || fail "the first menu item is not highlighted"
xdotool key Return
eventually 30 band_has green 136 152 || fail "the server is not listed"
xdotool key Return
eventually 30 logged "$E2E_WORK/host.log" "Player joined the game" || fail "the join did not reach the server"
eventually 30 radar_shows_map || fail "no picture of the installed map in the radar"
eventually 30 scoreboard_lines 4 || fail "the scoreboard does not list the player and three robots"

# Turrets and robots often destroy the ship, and a new ship elsewhere also
# scrolls the radar: only a flight that nobody interrupted counts.
deaths() { grep -cE 'Player (crashed|was destroyed|destroyed themselves)|destroyed Player$' "$E2E_WORK/host.log" || true; }
flies() {
  eventually 30 area_has blue 170x6+15+214 || return 1 # fuel in the gauge: the ship is alive
  local before
  before=$(deaths)
  radar_walls "$E2E_WORK/before.png"
  xdotool keydown k; sleep 0.3; xdotool keyup k
  eventually 15 radar_scrolled "$E2E_WORK/before.png" && [ "$(deaths)" = "$before" ]
}
eventually 90 flies || fail "the ship did not move while K was held"
# The sounds came from the installed folder: none is missing, and thrust was heard.
! grep -q "sounds will not play\|without sound" "$E2E_WORK/game.log" || fail "sound: $(cat "$E2E_WORK/game.log")"
[ "$(audio_peak 0)" -gt 0 ] || fail "the installed game wrote no sound"

leave_and_end
echo "installed game: ok"
