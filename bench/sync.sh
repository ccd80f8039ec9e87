#!/usr/bin/env bash
# `ombo --synchroniser` against a bare client, side by side on one local
# Radicale: the first sync of the default almanac (every text sent) against
# a bare client that PUTs the same events one after another on one
# connection; then a sync with nothing changed.
#   bench/sync.sh [build folder, build] [rounds, 3]
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build}" && pwd)
rounds=${2:-3}
for f in ombo ombo-synchro.so ombo.mdb; do
  [ -e "$build/$f" ] || { echo "missing $build/$f: build first" >&2; exit 1; }
done
work=$(mktemp -d)
server=
trap '[ -n "$server" ] && kill "$server"; rm -rf "$work"' EXIT
cp "$build/ombo" "$build/ombo-synchro.so" "$work/"
cp "$build/ombo.mdb" "$work/ombo.mdb"
(cd "$work" && ./ombo --exporter all.ics)
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM

port=$(/usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
/usr/bin/python3 -m radicale --config "" --auth-type none --storage-filesystem-folder "$work/storage" \
  --server-hosts "127.0.0.1:$port" >"$work/radicale.log" 2>&1 &
server=$!
for _ in $(seq 50); do (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break; sleep 0.1; done
root="http://127.0.0.1:$port"

# The bare client: the export's events, one PUT each, If-None-Match: *.
bare() {
  /usr/bin/python3 - "$port" "/bench/$1/" "$work/all.ics" <<'PY'
import http.client, re, sys
port, path, ics = int(sys.argv[1]), sys.argv[2], open(sys.argv[3], "rb").read()
conn = http.client.HTTPConnection("127.0.0.1", port)
auth = {"Authorization": "Basic YmVuY2g6YmVuY2g="}
conn.request("MKCOL", path, b'<?xml version="1.0"?><d:mkcol xmlns:d="DAV:" xmlns:c="urn:ietf:params:xml:ns:caldav">'
             b'<d:set><d:prop><d:resourcetype><d:collection/><c:calendar/></d:resourcetype></d:prop></d:set></d:mkcol>', auth)
conn.getresponse().read()
head, body = ics.split(b"BEGIN:VEVENT", 1)
for event in re.findall(rb"BEGIN:VEVENT.*?END:VEVENT\r\n", b"BEGIN:VEVENT" + body, re.S):
    uid = re.search(rb"UID:(\S+)", event).group(1).decode()
    conn.request("PUT", path + uid + ".ics", head + event + b"END:VCALENDAR\r\n",
                 dict(auth, **{"If-None-Match": "*", "Content-Type": "text/calendar"}))
    answer = conn.getresponse()
    answer.read()
    assert answer.status == 201, answer.status
PY
}
mkcal() {
  curl -s -o /dev/null -u bench:bench -X MKCOL "$root/bench/$1/" --data-binary \
    '<?xml version="1.0"?><d:mkcol xmlns:d="DAV:" xmlns:c="urn:ietf:params:xml:ns:caldav"><d:set><d:prop><d:resourcetype><d:collection/><c:calendar/></d:resourcetype></d:prop></d:set></d:mkcol>'
}
ms() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.0f", (b - a) * 1000 }'; }

echo "events: $(grep -c BEGIN:VEVENT "$work/all.ics")"
for round in $(seq "$rounds"); do
  t0=$EPOCHREALTIME; bare "bare$round"; t1=$EPOCHREALTIME
  mkcal "ombo$round"
  rm -f "$work/ombo.mdb"; cp "$build/ombo.mdb" "$work/ombo.mdb"
  t2=$EPOCHREALTIME
  (cd "$work" && ./ombo --synchroniser --serveur "$root/bench/ombo$round/" --utilisateur bench >/dev/null)
  t3=$EPOCHREALTIME
  (cd "$work" && ./ombo --synchroniser >/dev/null)
  t4=$EPOCHREALTIME
  b=$(ms "$t0" "$t1"); o=$(ms "$t2" "$t3"); n=$(ms "$t3" "$t4")
  echo "round $round: bare client ${b} ms, first sync ${o} ms (ratio $(awk -v o="$o" -v b="$b" 'BEGIN { printf "%.2f", o / b }')), nothing changed ${n} ms"
done

# With the update window open: a text typed in the grid, from the key that
# leaves its row to the end of the sync that sent it (measured by the
# window's test against its own Radicale).
if [ -x "$build/tests/tst_syncwindow" ]; then
  QT_QPA_PLATFORM=offscreen "$build/tests/tst_syncwindow" settingsThenBothWays 2>&1 | grep -o "a write in the grid.*"
fi
