#!/usr/bin/env bash
# Runs a test program under a private X server (Xvfb, 96 dpi, xcb platform)
# once per screen scale, the way a desktop shows the windows:
#   on-xvfb.sh "SCALE..." PROGRAM [ARG...]
set -u
scales=$1; shift
work=$(mktemp -d)
xvfb=""
cleanup() { [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null; wait 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
exec 3<>"$work/displayfd"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -dpi 96 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb=$!
num=
for _ in $(seq 400); do num=$(head -c 8 "$work/displayfd" 2>/dev/null | tr -dc 0-9); [ -n "$num" ] && break; sleep 0.05; done
[ -n "$num" ] || { echo "Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }
export DISPLAY=:$num QT_QPA_PLATFORM=xcb
status=0
for s in $scales; do
  echo "== QT_SCALE_FACTOR=$s"
  QT_SCALE_FACTOR=$s "$@" || status=1
done
exit $status
