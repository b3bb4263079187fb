#!/usr/bin/env bash
# The server's OCI image, built by scripts/image into a container storage of
# its own: its settings are a container's (UDP 3001, a user that is not
# root, --trust-local no), its files are root's except the state folder, and
# its entrypoint, run in a chroot of the image as that user with /proc as a
# runtime mounts it, prints its usage, then hosts as PID 1 with robots on
# the image's own maps and ends with status 0 on SIGTERM. No container
# runtime is needed; without a working buildah the check is skipped.
# Usage: image.sh [BUILD_DIR] (default: scripts/image builds its own)
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/../.." && pwd)

skip() { echo "image: skipped: $*"; exit 0; }
fail() { echo "FAIL: $*" >&2; exit 1; }

command -v buildah >/dev/null || skip "no buildah (apt-get install buildah)"
[ "$(id -u)" -eq 0 ] || skip "the chroot needs root"
for tool in unshare chroot ldd; do
  command -v "$tool" >/dev/null || skip "no $tool"
done

source "$source_dir/tests/e2e/image_storage.sh"
server=
cleanup() {
  [ -z "$server" ] || kill -KILL "$server" 2>/dev/null || true
  remove_storage
}
trap cleanup EXIT

tag=localhost/quillrock-server:check
build_image "${1:-}" --tag "$tag"
archive=$work/out/quillrock-server-$version.oci.tar
tar -tf "$archive" >"$work/archive.txt" 2>&1 || fail "no OCI archive in --output: $(cat "$work/archive.txt")"
for entry in oci-layout index.json; do
  grep -qx "$entry" "$work/archive.txt" || fail "$archive is not an OCI archive: no $entry"
done

setting() { buildah inspect --type image --format "$1" "$tag"; }
[ "$(setting '{{.OCIv1.Config.User}}')" = 10001:10001 ] || fail "the image's user is $(setting '{{.OCIv1.Config.User}}')"
# shellcheck disable=SC2016 # a Go template, not the shell's
[ "$(setting '{{range $port, $_ := .OCIv1.Config.ExposedPorts}}{{$port}} {{end}}')" = "3001/udp " ] ||
  fail "the image exposes $(setting '{{.OCIv1.Config.ExposedPorts}}')"
mapfile -t entrypoint < <(setting '{{range .OCIv1.Config.Entrypoint}}{{.}}{{"\n"}}{{end}}')
[ "${entrypoint[*]}" = "/usr/bin/quillrock-server --trust-local no" ] || fail "the entrypoint is ${entrypoint[*]}"

container=$(buildah from "$tag")
root=$(buildah mount "$container")
grep -q '^quillrock:x:10001:10001:' "$root/etc/passwd" || fail "no quillrock user in /etc/passwd"
ls "$root"/usr/share/quillrock/Maps/*.smp >/dev/null 2>&1 || fail "no maps in the image"
[ ! -e "$root/usr/share/quillrock/Graphics" ] || fail "the game's pictures are in the server's image"
# The server's user may write only where its state and temporary files go.
writable=$(find "$root" -xdev \( -user 10001 -o -perm -o+w \) ! -type l | sed "s|^$root||" | sort | tr '\n' ' ')
[ "$writable" = "/tmp /var/lib/quillrock-server " ] || fail "the server's user may write to: $writable"

chroot --userspec=10001:10001 "$root" "${entrypoint[@]}" --help >"$work/help.txt" 2>&1 ||
  fail "the entrypoint's --help: $(cat "$work/help.txt")"
grep -q '^usage: quillrock-server' "$work/help.txt" || fail "no usage from --help: $(cat "$work/help.txt")"

# As in a container: its own network, PIDs and /proc, the server as PID 1.
bash "$source_dir/scripts/offline" unshare --pid --fork --mount-proc="$root/proc" \
  chroot --userspec=10001:10001 "$root" "${entrypoint[@]}" --name "Image Check" --bots 2 --round-minutes 5 \
  </dev/null >"$work/host.log" 2>&1 &
runner=$!
logged() { grep -q "$1" "$work/host.log"; }
for _ in $(seq 150); do logged "round started on map" && break; sleep 0.2; done
logged "round started on map" || fail "no round in the image: $(cat "$work/host.log")"
maps=$(find "$root/usr/share/quillrock/Maps" -name '*.smp' -printf '%f\n' | sed 's/\.smp$//' | LC_ALL=C sort | paste -sd, | sed 's/,/, /g')
logged "hosting .* on UDP port 3001 .*; maps: $maps\$" || fail "not hosting the image's maps on 3001: $(cat "$work/host.log")"
logged "trusted no more than any other" || fail "players on loopback are still admins: $(cat "$work/host.log")"
server=$(pgrep -P "$runner" || true)
[ -n "$server" ] || fail "the server's process is gone: $(cat "$work/host.log")"
kill -TERM "$server"
for _ in $(seq 150); do kill -0 "$runner" 2>/dev/null || break; sleep 0.2; done
kill -0 "$runner" 2>/dev/null && fail "the server still runs 30 s after SIGTERM"
status=0
wait "$runner" || status=$?
server=
[ "$status" -eq 0 ] || fail "the server ended with status $status on SIGTERM: $(tail -5 "$work/host.log")"
logged "ending the session" || fail "SIGTERM did not end the session: $(tail -5 "$work/host.log")"
echo "image: ok"
