#!/usr/bin/env bash
# `ombo --aujourdhui` as a whole process against floor_core, a bare
# QCoreApplication program that opens the same almanac and prints one row:
# wall time from launch to exit, with no display, run alternately.
#   bench/greeting.sh [build folder, build] [counted runs, 20] [warm-ups, 3]
# Runs on a temporary copy of the program and its almanac.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build}" && pwd)
runs=${2:-20}
warmups=${3:-3}

for f in ombo ombo.mdb bench/floor_core; do
  [ -e "$build/$f" ] || { echo "missing $build/$f: build first" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$build/ombo" "$build/ombo.mdb" "$build/bench/floor_core" "$work/"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM

median() { sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else printf "%g\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
# Milliseconds one run takes.
timed() {
  local start=$EPOCHREALTIME
  "$@" >/dev/null
  awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.2f\n", (b - a) * 1000 }'
}

declare -A times
for round in $(seq $((warmups + runs))); do
  g=$(timed "$work/ombo" --aujourdhui)
  f=$(timed "$work/floor_core")
  if [ "$round" -gt "$warmups" ]; then
    times[greeting]+="$g "
    times[floor_core]+="$f "
  fi
done

echo "Whole process, launch to exit: $runs counted runs each after $warmups warm-ups, alternated"
printf '%-20s %10s   %s\n' program "median ms" "runs (ms)"
declare -A m
for p in greeting floor_core; do
  m[$p]=$(tr ' ' '\n' <<<"${times[$p]}" | grep . | median)
  printf '%-20s %10s   %s\n' "$p" "${m[$p]}" "${times[$p]}"
done
awk -v a="${m[greeting]}" -v b="${m[floor_core]}" 'BEGIN { printf "ombo --aujourdhui / floor_core: %.2f\n", a / b }'
