#!/usr/bin/env bash
# The real server's log piped into `head -1`: once head has ended, the
# server plays on, says once on stderr that its log is gone, still answers
# its metrics page and console, and ends on SIGTERM with status 0.
# Usage: log_reader.sh SERVER_BINARY DATA_DIR
set -euo pipefail
work=$(mktemp -d)
server_pid=
cleanup() {
  exec 3>&- 2>/dev/null || true
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; echo "stderr: $(cat "$work/stderr")" >&2; exit 1; }
source "$(dirname "$0")/eventually.sh"
# running: the server has not ended (an ended child stays a zombie until waited)
running() { ps -o stat= -p "$server_pid" 2>/dev/null | grep -qv Z; }
told() { grep -q "the log's reader has gone; logging stops" "$work/stderr"; }
metrics_answer() { curl -sf --max-time 10 http://127.0.0.1:9177/metrics >/dev/null; }

mkfifo "$work/console" "$work/log"
head -1 <"$work/log" >"$work/first" &
head_pid=$!
"$1" --data "$2" --port 3999 --metrics 9177 --maps Arena --record "$work/rounds" \
  <"$work/console" >"$work/log" 2>"$work/stderr" &
server_pid=$!
# A server that ended must fail the check, not end the script at a write;
# the server itself started with SIGPIPE as it comes.
trap '' PIPE
exec 3>"$work/console"
started() { metrics_answer || ! running; }
eventually 60 started && running || fail "the server did not start"
# The first line ends head; the lines after it meet a pipe with no reader.
echo status >&3
head_ended() { ! kill -0 "$head_pid" 2>/dev/null; }
eventually 60 head_ended || fail "head read no line"
wait "$head_pid" || true
[ -s "$work/first" ] || fail "head read no line"
for _ in 1 2 3; do echo status 2>/dev/null >&3 || true; done
told_or_ended() { told || ! running; }
eventually 60 told_or_ended || true
running || fail "the server ended with its log"
told || fail "the server did not say that its log is gone"
echo status >&3 || fail "the server no longer reads its console"
metrics_answer || fail "the metrics page does not answer once the log is gone"
[ "$(grep -c "the log's reader has gone" "$work/stderr")" -eq 1 ] || fail "not said exactly once"

kill -TERM "$server_pid"
status=0
wait "$server_pid" || status=$?
server_pid=
[ "$status" -eq 0 ] || fail "the server ended with status $status on SIGTERM"
echo "log reader: ok"
