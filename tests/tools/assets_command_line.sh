#!/usr/bin/env bash
# The asset tool answers --help with its usage and a command line it cannot
# use with its reason and status 2, never an uncaught exception.
# Usage: assets_command_line.sh TOOL_BINARY REPOSITORY_FOLDER
set -uo pipefail
fail() { echo "FAIL: $*" >&2; exit 1; }

help=$("$1" --help) || fail "--help ended with status $?"
[[ $help == "Usage: quillrock_assets "* ]] || fail "--help does not start with its usage: $help"
# Arguments, then the start of the complaint.
while IFS='|' read -r arguments reason; do
  said=$("$1" $arguments 2>&1 >/dev/null); status=$?
  [ $status -eq 2 ] && [[ $said == "quillrock_assets: $reason"* ]] || fail "'$arguments' ($status): $said"
done <<TABLE
--check|the repository's folder is missing
--no-such-option $2|unknown option --no-such-option
$2 $2|one repository folder only
--check $2/data|$2/data is not the repository's folder: it has no tools/maps
TABLE
