#!/usr/bin/env bash
# The master's OCI image, built by scripts/image --master into a container
# storage of its own: its settings are a container's (TCP 8300, a user that
# is not root), its files are root's except the state folder, and its
# entrypoint, run in a chroot of the image as that user in a network of its
# own, serves the list, and on SIGTERM writes its state and ends with
# status 0. No container runtime is needed; without a working buildah the
# check is skipped.
# Usage: master_image.sh [BUILD_DIR] (default: scripts/image builds its own)
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/../.." && pwd)

skip() { echo "master image: skipped: $*"; exit 0; }
fail() { echo "FAIL: $*" >&2; exit 1; }

command -v buildah >/dev/null || skip "no buildah (apt-get install buildah)"
[ "$(id -u)" -eq 0 ] || skip "the chroot needs root"
for tool in unshare chroot ldd python3; do
  command -v "$tool" >/dev/null || skip "no $tool"
done

source "$source_dir/tests/e2e/image_storage.sh"
trap remove_storage EXIT

tag=localhost/quillrock-master:check
build_image "${1:-}" --master --tag "$tag"
# Listed to a file: grep -q ending early would break tar's pipe under pipefail.
archive=$work/out/quillrock-master-$version.oci.tar
tar -tf "$archive" >"$work/archive.txt" 2>&1 || fail "no OCI archive in --output: $(cat "$work/archive.txt")"
grep -qx index.json "$work/archive.txt" || fail "$archive is not an OCI archive: no index.json"

setting() { buildah inspect --type image --format "$1" "$tag"; }
[ "$(setting '{{.OCIv1.Config.User}}')" = 10001:10001 ] || fail "the image's user is $(setting '{{.OCIv1.Config.User}}')"
# shellcheck disable=SC2016 # a Go template, not the shell's
[ "$(setting '{{range $port, $_ := .OCIv1.Config.ExposedPorts}}{{$port}} {{end}}')" = "8300/tcp " ] ||
  fail "the image exposes $(setting '{{.OCIv1.Config.ExposedPorts}}')"
mapfile -t entrypoint < <(setting '{{range .OCIv1.Config.Entrypoint}}{{.}}{{"\n"}}{{end}}')
[ "${entrypoint[*]}" = "/usr/bin/quillrock-master --listen 0.0.0.0:8300 --state /var/lib/quillrock-master/state.json" ] ||
  fail "the entrypoint is ${entrypoint[*]}"

container=$(buildah from "$tag")
root=$(buildah mount "$container")
[ ! -e "$root/usr/share/quillrock" ] || fail "the game's data is in the master's image"
writable=$(find "$root" -xdev \( -user 10001 -o -perm -o+w \) ! -type l | sed "s|^$root||" | sort | tr '\n' ' ')
[ "$writable" = "/tmp /var/lib/quillrock-master " ] || fail "the master's user may write to: $writable"

# As in a container: a network and PIDs of its own, the master as PID 1,
# asked for its list, then stopped as a runtime stops it.
cat >"$work/run.sh" <<RUN
chroot --userspec=10001:10001 "$root" ${entrypoint[*]} </dev/null >"$work/master.log" 2>&1 &
master=\$!
for _ in \$(seq 100); do
  python3 -c "import urllib.request; print(urllib.request.urlopen('http://127.0.0.1:8300/servers.json', timeout=2).read().decode())" \
    >"$work/list.json" 2>/dev/null && break
  sleep 0.2
done
kill -TERM \$master
wait \$master
RUN
status=0
bash "$source_dir/scripts/offline" unshare --pid --fork --mount-proc="$root/proc" bash "$work/run.sh" || status=$?
[ "$(cat "$work/list.json" 2>/dev/null)" = '{"servers":[]}' ] || fail "no list from the image: $(cat "$work/master.log")"
[ "$status" -eq 0 ] || fail "the master ended with status $status on SIGTERM: $(tail -5 "$work/master.log")"
[ -s "$root/var/lib/quillrock-master/state.json" ] || fail "no state written at the end: $(tail -5 "$work/master.log")"
echo "master image: ok"
