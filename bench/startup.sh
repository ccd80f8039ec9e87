#!/usr/bin/env bash
# Start-up of the whole process under Xvfb (xcb platform, no window manager)
# for ombo (the program and its window module) and the two floor programs:
#  - instructions from exec until the first window is shown (callgrind,
#    dumped after QWindowPrivate::setVisible): the same from run to run;
#  - wall time from launch until that window is mapped, and resident memory
#    (VmRSS) at that moment, in medians of alternated runs.
#   bench/startup.sh [build folder, build] [counted runs, 10] [warm-ups, 3]
# With 0 counted runs only the instructions are counted. Runs on a
# temporary copy of the program's files: the build folder's ombo.mdb is never
# opened. bench/mapwait.c does the launching and watching.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build}" && pwd)
runs=${2:-10}
warmups=${3:-3}
programs=(ombo floor_shape floor_empty)

# The tools, installed when missing.
need=()
command -v Xvfb >/dev/null || need+=(xvfb)
command -v xdpyinfo >/dev/null || need+=(x11-utils)
command -v valgrind >/dev/null || need+=(valgrind)
command -v cc >/dev/null || need+=(gcc)
[ -e /usr/include/xcb/xcb.h ] || need+=(libxcb1-dev)
if [ ${#need[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${need[@]}"
fi

for f in ombo ombo-fenetres.so ombo.mdb bench/floor_empty bench/floor_shape; do
  [ -e "$build/$f" ] || { echo "missing $build/$f: build first" >&2; exit 1; }
done
work=$(mktemp -d)
xvfb_pid=""
cleanup() {
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
cp "$build/ombo" "$build/ombo-fenetres.so" "$build/ombo.mdb" "$build/bench/floor_empty" "$build/bench/floor_shape" "$work/"
[ -e "$build/ombo.chm" ] && cp "$build/ombo.chm" "$work/"
cc -O2 -o "$work/mapwait" "$here/bench/mapwait.c" -lxcb

# A display of our own; -noreset keeps it up between clients.
display=99
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
export DISPLAY=":$display" QT_QPA_PLATFORM=xcb
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.05; done
xdpyinfo >/dev/null 2>&1 || { echo "Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }

# Instructions of one start-up until its first window is shown: callgrind
# writes a dump when QWindowPrivate::setVisible returns; the program is then
# ended and the first dump read.
instructions() {
  local prog=$1 out="$work/callgrind.$1" pid total
  rm -f "$out" "$out".*
  valgrind --tool=callgrind --dump-after='QWindowPrivate::setVisible*' \
    --callgrind-out-file="$out" "$work/$prog" >/dev/null 2>"$work/valgrind.log" &
  pid=$!
  for _ in $(seq 1200); do
    [ -e "$out.1" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  total=$(awk '/^totals:/ { print $2 }' "$out.1" 2>/dev/null || true)
  [ -n "$total" ] || { echo "no window shown by $prog under callgrind" >&2; cat "$work/valgrind.log" >&2; return 1; }
  echo "$total"
}

# One launch of each first, so that no count includes a cache being filled
# (fontconfig's, after fonts were installed, costs tens of millions).
for prog in "${programs[@]}"; do
  "$work/mapwait" "$work/$prog" >/dev/null 2>"$work/err" || { cat "$work/err" >&2; exit 1; }
done

declare -A instr
echo "Instructions from exec until the first window is shown (callgrind, xcb)"
for prog in "${programs[@]}"; do
  instr[$prog]=$(instructions "$prog")
  awk -v p="$prog" -v n="${instr[$prog]}" 'BEGIN { printf "%-12s %14d  %7.1f M\n", p, n, n / 1e6 }'
done
[ "$runs" -gt 0 ] || {
  awk -v a="${instr[ombo]}" -v b="${instr[floor_shape]}" 'BEGIN { printf "ombo / floor_shape instructions %.3f\n", a / b }'
  exit 0
}

median() { sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else printf "%g\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

declare -A times rss
for round in $(seq $((warmups + runs))); do
  for prog in "${programs[@]}"; do
    if ! out=$("$work/mapwait" "$work/$prog" 2>"$work/err"); then
      cat "$work/err" >&2
      exit 1
    fi
    read -r ms kb <<<"$out"
    if [ "$round" -gt "$warmups" ]; then
      times[$prog]+="$ms "
      rss[$prog]+="$kb "
    fi
  done
done

echo
echo "Until the window is mapped: $runs counted runs each after $warmups warm-ups, alternated (load average: $(cut -d' ' -f1-3 /proc/loadavg))"
printf '%-12s %10s %14s   %s\n' program "median ms" "median RSS kB" "runs (ms)"
declare -A mt mr
for prog in "${programs[@]}"; do
  mt[$prog]=$(tr ' ' '\n' <<<"${times[$prog]}" | grep . | median)
  mr[$prog]=$(tr ' ' '\n' <<<"${rss[$prog]}" | grep . | median)
  printf '%-12s %10s %14s   %s\n' "$prog" "${mt[$prog]}" "${mr[$prog]}" "${times[$prog]}"
done
echo
for floor in floor_shape floor_empty; do
  awk -v a="${mt[ombo]}" -v b="${mt[$floor]}" -v c="${mr[ombo]}" -v d="${mr[$floor]}" \
    -v e="${instr[ombo]}" -v g="${instr[$floor]}" -v f="$floor" \
    'BEGIN { printf "ombo / %-12s instructions %.3f   RSS %.3f   time %.2f\n", f, e / g, c / d, a / b }'
done
