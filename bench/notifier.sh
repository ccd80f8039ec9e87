#!/usr/bin/env bash
# `ombo --notifier` from its launch to the arrival of its Notify call at the
# notification service, against floor_notifier (a bare QCoreApplication that
# opens the almanac, reads two rows and sends one notification) and
# floor_notifier_windows (the same, linked to the window libraries as `ombo`
# is), run alternately on a private session bus with the tests' stand-in
# service.
#   bench/notifier.sh [build folder, build] [counted runs, 20] [warm-ups, 3]
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build}" && pwd)
runs=${2:-20}
warmups=${3:-3}
for f in ombo ombo.mdb bench/floor_notifier bench/floor_notifier_windows tests/fake_notifications; do
  [ -e "$build/$f" ] || { echo "missing $build/$f: build first" >&2; exit 1; }
done

work=$(mktemp -d)
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"; }
trap cleanup EXIT
cp "$build/ombo" "$build/ombo.mdb" "$build/bench/floor_notifier" "$build/bench/floor_notifier_windows" "$work/"

cat >"$work/bus.conf" <<CONF
<busconfig><type>session</type><listen>unix:dir=$work</listen>
<policy context="default"><allow send_destination="*" eavesdrop="true"/><allow eavesdrop="true"/><allow own="*"/></policy></busconfig>
CONF
dbus-daemon --config-file="$work/bus.conf" --print-address=1 --nofork >"$work/address" &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/address" ] && break; sleep 0.05; done
export DBUS_SESSION_BUS_ADDRESS=$(head -1 "$work/address")
unset DISPLAY WAYLAND_DISPLAY
"$build/tests/fake_notifications" close actions >"$work/calls" &
pids+=($!)
for _ in $(seq 100); do grep -q ready "$work/calls" 2>/dev/null && break; sleep 0.05; done

python3 - "$work" "$runs" "$warmups" <<'PY'
import json, os, statistics, subprocess, sys, time
work, runs, warmups = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
programs = {"ombo --notifier": [work + "/ombo", "--notifier"], "floor_notifier": [work + "/floor_notifier"],
            "floor_notifier_windows": [work + "/floor_notifier_windows"]}
calls = open(work + "/calls")
calls.readline()  # ready
times = {name: [] for name in programs}
for round in range(warmups + runs):
    for name, argv in programs.items():
        start = time.time_ns()
        subprocess.run(argv, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
        line = ""
        while not line.endswith("\n"):
            line += calls.readline()
        if round >= warmups:
            times[name].append((json.loads(line)["ns"] - start) / 1e6)
print("Launch to Notify call: %d counted runs each after %d warm-ups, alternated" % (runs, warmups))
for name, t in times.items():
    print("%-22s median %6.2f ms   runs %s" % (name, statistics.median(t), " ".join("%.1f" % x for x in t)))
a, b, c = (statistics.median(times[n]) for n in programs)
print("ombo --notifier / floor_notifier: %.2f" % (a / b))
print("ombo --notifier / floor_notifier_windows: %.2f" % (a / c))
PY
