#!/usr/bin/env bash
# The real master: its options, a game server stand-in that answers the
# challenge on its UDP port and one that does not, a body of 16,000 bytes,
# the state written on SIGTERM and read again at the next start, a FIFO
# for a ban file or the state.
# Usage: master_program.sh MASTER_BINARY
set -euo pipefail
master=$1
work=$(mktemp -d)
pid=
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; echo "log: $(cat "$work/log" 2>/dev/null)" >&2; exit 1; }
port=8391
url=http://127.0.0.1:$port

"$master" --help | grep -q -- "--listen ADDRESS:PORT" || fail "--help does not list --listen"
status=0
"$master" --listen nowhere 2>"$work/wrong" || status=$?
[ "$status" -eq 2 ] && grep -q "ADDRESS:PORT" "$work/wrong" || fail "a wrong --listen is not refused clearly"

start() {
  "$master" --listen "127.0.0.1:$port" --state "${state_file:-$work/state.json}" "$@" >>"$work/log" 2>&1 &
  pid=$!
  for _ in $(seq 50); do curl -sf "$url/metrics" >/dev/null 2>&1 && return; sleep 0.1; done
  fail "the master does not answer"
}

# register PORT ANSWER [PAD]: a stand-in game server on UDP PORT registers;
# with ANSWER=yes it returns the challenge's token as a server does.
register() {
  python3 - "$url" "$1" "$2" "${3:-0}" <<'PY'
import json, socket, sys, urllib.request, urllib.error
url, port, answer, pad = sys.argv[1], int(sys.argv[2]), sys.argv[3] == "yes", int(sys.argv[4])
udp = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
udp.bind(("127.0.0.1", port))
udp.settimeout(3)
body = {"name": "Stand-in %d" % port, "port": port, "map": "Arena", "mode": "dm", "seats": 8,
        "players": [{"name": "Ace", "score": 1, "robot": True}], "version": "0.9.0",
        "secret": "stand-in-secret-%d" % port}
if pad:
    body["pad"] = ""
    body["pad"] = "x" * (pad - len(json.dumps(body)))
def post(body):
    request = urllib.request.Request(url + "/register", json.dumps(body).encode(), method="POST")
    try:
        with urllib.request.urlopen(request, timeout=5) as reply:
            return reply.status
    except urllib.error.HTTPError as error:
        return error.code
first = post(body)
datagram, _ = udp.recvfrom(64)
assert first == 202 and len(datagram) == 21 and datagram[:5] == b"QRMC\x01", (first, datagram)
if answer:
    body["token"] = datagram[5:].hex()
    assert post(body) == 200
PY
}

start
register 4001 yes 16000 || fail "a registration of 16,000 bytes is not listed"
register 4002 no || fail "the stand-in that does not answer was not challenged"
curl -sf "$url/servers.json" -o "$work/list"
grep -q '"address":"127.0.0.1:4001"' "$work/list" || fail "the proven server is not listed: $(cat "$work/list")"
grep -q '4002' "$work/list" && fail "a server that did not answer its challenge is listed"
# A path the peer wrote with a line break and an escape is logged as one line.
curl -s "$url/%0afake%20line%1b%5b31m" -o /dev/null || true
grep -q "refused GET /?fake line?\[31m from 127.0.0.1" "$work/log" || fail "a path is logged raw: $(tail -3 "$work/log")"
kill -TERM "$pid"
status=0
wait "$pid" || status=$?
pid=
[ "$status" -eq 0 ] || fail "SIGTERM ends with status $status"
grep -q "stopped by signal 15" "$work/log" || fail "the stop is not logged"
grep -q '127.0.0.1' "$work/state.json" || fail "no state written at the end"

# A FIFO as the ban file is refused, not waited on.
mkfifo "$work/bans"
start --ban-file "$work/bans"
sleep 0.3
curl -sf "$url/servers.json" | grep -q '"address":"127.0.0.1:4001"' || fail "the state was not read at start"
grep -q "cannot read the ban file: $work/bans" "$work/log" || fail "the FIFO is not told: $(tail -3 "$work/log")"
grep -q "read 1 server(s) from the state" "$work/log" || fail "the read is not logged"
kill -INT "$pid"
wait "$pid" || fail "SIGINT does not end cleanly"
pid=

# A FIFO as the state is refused as well: the master starts without it.
mkfifo "$work/state-fifo"
state_file="$work/state-fifo" start
grep -q "cannot read the state: $work/state-fifo: not a regular file" "$work/log" ||
  fail "the FIFO state is not told: $(tail -3 "$work/log")"
kill -INT "$pid"
wait "$pid" || fail "SIGINT does not end cleanly"
pid=
echo "master program: ok"
