#!/usr/bin/env bash
# Each tool's --help says how to use it and every option it lists is one it
# takes; an unknown option or a missing value is named and ends with status 2.
# Usage: options.sh TOOL_BINARY...
set -uo pipefail

fail() { echo "FAIL: $*" >&2; exit 1; }

for tool in "$@"; do
  name=$(basename "$tool")
  help=$("$tool" --help) || fail "$name --help ended with status $?"
  [[ $help == Usage:\ $name* ]] || fail "$name --help does not start with its usage"
  options=$(grep -oE '^  --[a-z-]+' <<<"$help" | tr -d ' ' | grep -v -x -e --help)
  [ -n "$options" ] || fail "$name --help lists no options"
  for option in $options; do
    said=$("$tool" "$option" 2>&1 >/dev/null); status=$?
    [ $status -eq 2 ] || fail "$name $option without a value ended with status $status"
    [[ $said == *"$option needs a value"* ]] || fail "$name does not take $option, which --help lists: $said"
  done
  said=$("$tool" --no-such-option 2>&1 >/dev/null); status=$?
  [ $status -eq 2 ] || fail "$name --no-such-option ended with status $status"
  [[ $said == *"unknown option --no-such-option"* ]] || fail "$name does not name the unknown option: $said"
  echo "$name: $(wc -w <<<"$options") options"
done
