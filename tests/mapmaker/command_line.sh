#!/usr/bin/env bash
# The map maker from its command line: its usage, its complaints, FILE:LINE
# for each fault of a source with status 2 and nothing made, and the
# shipped maps made again byte for byte.
# Usage: command_line.sh MAPMAKER REPOSITORY_FOLDER
set -uo pipefail
fail() { echo "FAIL: $*" >&2; exit 1; }
maker=$1 root=$2
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT

help=$("$maker" --help) || fail "--help ended with status $?"
[[ $help == "Usage: quillrock-mapmaker "* ]] || fail "--help does not start with its usage: $help"
while IFS='|' read -r arguments reason; do
  said=$("$maker" $arguments 2>&1 >/dev/null); status=$?
  [ $status -eq 2 ] && [[ $said == "quillrock-mapmaker: $reason"* ]] || fail "'$arguments' ($status): $said"
done <<TABLE
|no map source given
--frobnicate x.map|unknown option --frobnicate
x.map -o|-o needs a folder
TABLE

# Two faults of one source and one of another, each at its line.
sed -e '5s/^\(.\{9\}\)./\1x/' -e 's/^name Arena$/name Arina/' "$root/tools/maps/Arena.map" >"$work/Arena.map"
{ echo "name Small"; for _ in 1 2 3; do echo "..@.$"; done; } >"$work/Small.map"
said=$("$maker" "$work/Arena.map" "$work/Small.map" 2>&1 >/dev/null); status=$?
expected="$work/Arena.map:4: the map is named \"Arina\" but its file is \"Arena\": name them alike, as the radar finds its picture by the map's name and the game finds the map by its file's
$work/Arena.map:5:10: unknown cell 'x'
$work/Small.map:1: 5 x 3 cells, less than a screen's 34 x 26: its seams would show twice"
[ $status -eq 2 ] || fail "faulty sources ended with status $status"
[ "$said" == "$expected" ] || fail "faults reported as: $said"
[ -z "$(ls "$work" | grep -v '\.map$')" ] || fail "a faulty source made files: $(ls "$work")"

"$maker" "$work/missing.map" 2>/dev/null; [ $? -eq 1 ] || fail "a missing source is not status 1"
said=$("$maker" -o "$work/none" "$work/missing.map" 2>&1); status=$?
[ $status -eq 1 ] && [ "$said" == "quillrock-mapmaker: cannot write into $work/none: it is not a folder" ] ||
  fail "a missing -o folder ($status): $said"

# Beside the source, or into -o; the shipped maps as they are committed.
cp "$root/tools/maps/Warren.map" "$work/"
"$maker" "$work/Warren.map" >/dev/null || fail "Warren not made beside its source"
cmp -s "$work/Warren.smp" "$root/data/Maps/Warren.smp" || fail "Warren.smp made beside its source differs"
[ "$(stat -c %a "$work/Warren.smp" "$work/Warren.bmp")" == $'644\n644' ] || fail "a made map is not for every account to read"
mkdir "$work/out"
"$maker" -o "$work/out" "$root"/tools/maps/*.map >/dev/null || fail "the shipped maps do not make"
for source in "$root"/tools/maps/*.map; do
  name=$(basename "$source" .map)
  for made in "$name.smp" "$name.bmp"; do
    cmp -s "$work/out/$made" "$root/data/Maps/$made" || fail "$made is not what the map maker makes of $source"
  done
done
[ "$(ls "$work/out" | wc -l)" -eq "$(ls "$root"/data/Maps | wc -l)" ] || fail "data/Maps holds maps without a source"
echo "map maker command line: all good"
