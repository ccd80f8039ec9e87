#!/usr/bin/env bash
# Sets up a Debian 12 machine for Ombrelune, builds it, then either starts
# the program ("run") or runs every test ("test").
#   tools/dev.sh run   |   tools/dev.sh test
set -euo pipefail

mode=${1:-}
case "$mode" in
  run|test) ;;
  *) echo "usage: $0 run|test" >&2; exit 2 ;;
esac

here=$(cd "$(dirname "$0")/.." && pwd)
build=${OMBO_BUILD_DIR:-$here/build}

# What the build needs, then what each mode needs on top.
build_pkgs=(cmake g++ ninja-build qt6-base-dev libqt6sql6-sqlite fonts-liberation2 fp-utils-3.2.2)
run_pkgs=(xchm xdg-utils)
test_pkgs=(sqlite3 faketime desktop-file-utils appstream xvfb xauth dbus-daemon python3-icalendar calendar poppler-utils)

pkgs=("${build_pkgs[@]}")
if [ "$mode" = run ]; then pkgs+=("${run_pkgs[@]}"); else pkgs+=("${test_pkgs[@]}"); fi

"$here/tools/install-missing.sh" "${pkgs[@]}"

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j "$(nproc)"

if [ "$mode" = run ]; then
  exec "$build/ombo"
else
  cd "$build"
  ctest --output-on-failure -j "$(nproc)"
fi
