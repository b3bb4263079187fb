# Sourced by the image checks, after their skip and fail: a container
# storage of the check's own in $work, skipped where buildah cannot make and
# mount a container, and the image built into it.

work=$(mktemp -d)
export CONTAINERS_STORAGE_CONF=$work/storage.conf
printf '[storage]\ndriver = "vfs"\ngraphroot = "%s/root"\nrunroot = "%s/run"\n' "$work" "$work" >"$CONTAINERS_STORAGE_CONF"
container=

# What every check leaves behind goes: its container, its images, $work.
remove_storage() {
  [ -z "$container" ] || buildah rm "$container" >/dev/null 2>&1 || true
  buildah rmi --all --force >/dev/null 2>&1 || true
  rm -rf "$work"
}

if ! probe=$(buildah from scratch 2>"$work/probe.log") || ! buildah mount "$probe" >/dev/null 2>>"$work/probe.log"; then
  remove_storage
  skip "buildah cannot work here: $(tail -1 "$work/probe.log" 2>/dev/null)"
fi
buildah rm "$probe" >/dev/null

# build_image BUILD_DIR_OR_EMPTY ARGS...: scripts/image with the arguments,
# then $version of the project.
build_image() {
  local build=$1
  shift
  local args=("$@" --output "$work/out")
  [ -z "$build" ] || args+=(--build "$build")
  bash "$source_dir/scripts/image" "${args[@]}" >"$work/image.log" 2>&1 ||
    fail "scripts/image $*: $(tail -20 "$work/image.log")"
  version=$(sed -n 's/^project(Quillrock VERSION \([0-9.]*\).*/\1/p' "$source_dir/CMakeLists.txt")
}
