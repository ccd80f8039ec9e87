#!/usr/bin/env bash
# Sets up a Debian 12 machine for Ombrelune, builds it, then either starts
# the program ("run"), runs every test ("test"), or builds the Debian package
# and checks it with lintian ("package").
#   tools/dev.sh run   |   tools/dev.sh test   |   tools/dev.sh package
set -euo pipefail

mode=${1:-}
case "$mode" in
  run|test|package) ;;
  *) echo "usage: $0 run|test|package" >&2; exit 2 ;;
esac

here=$(cd "$(dirname "$0")/.." && pwd)
build=${OMBO_BUILD_DIR:-$here/build}

# What the build needs, then what each mode needs on top.
build_pkgs=(cmake g++ ninja-build qt6-base-dev libqt6sql6-sqlite libical-dev qtkeychain-qt6-dev fonts-liberation2 fp-utils-3.2.2)
# Qt's own dialogs in French: qt6-translations-l10n. The C library's
# messages in French need the French locale, which `locales` generates.
run_pkgs=(xchm xdg-utils qt6-translations-l10n)
test_pkgs=(sqlite3 faketime desktop-file-utils appstream xvfb xauth dbus-daemon python3-icalendar calendar poppler-utils mandoc
  libglib2.0-bin qt6-translations-l10n locales python3-radicale python3-caldav
  gnome-keyring)
package_pkgs=(build-essential debhelper dpkg-dev lintian)

pkgs=("${build_pkgs[@]}")
case "$mode" in
  run) pkgs+=("${run_pkgs[@]}") ;;
  test) pkgs+=("${test_pkgs[@]}") ;;
  package) pkgs+=("${package_pkgs[@]}") ;;
esac

"$here/tools/install-missing.sh" "${pkgs[@]}"
# The tests read system messages in French.
if [ "$mode" = test ]; then "$here/tools/french-locale.sh"; fi

# The package is built from a copy of the sources (what git tracks or would
# track), so the checkout stays clean; it lands in <build>/package/.
if [ "$mode" = package ]; then
  out=$build/package
  rm -rf "$out"
  mkdir -p "$out/src"
  git -C "$here" ls-files -z --cached --others --exclude-standard |
    (cd "$here" && tar --null --ignore-failed-read -T - -cf -) | tar -xf - -C "$out/src"
  (cd "$out/src" && dpkg-buildpackage -us -uc -b -j"$(nproc)")
  deb=$(ls "$out"/ombrelune_*.deb)
  lintian --fail-on error,warning --info "$deb"
  echo "$deb"
  exit 0
fi

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j "$(nproc)"

if [ "$mode" = run ]; then
  exec "$build/ombo"
else
  cd "$build"
  ctest --output-on-failure -j "$(nproc)"
fi
