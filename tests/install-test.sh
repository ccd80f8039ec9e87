#!/bin/sh
# Installs the build into throw-away prefixes and checks what lands there:
# the program folder, the link in bin/, the desktop files, and that a second
# install keeps the user's almanac byte for byte.
#   install-test.sh <build dir> <bindir> <program dir> <datadir>
# (the three dirs relative to the prefix, as configured)
set -u

[ $# -eq 4 ] || { echo "usage: $0 <build> <bindir> <programdir> <datadir>" >&2; exit 2; }
build=$1 bindir=$2 progdir=$3 datadir=$4
here=$(cd "$(dirname "$0")" && pwd)
tsv=$here/../data/almanac.tsv

tmp=$(mktemp -d "${TMPDIR:-/tmp}/ombo-install.XXXXXX") || exit 1
trap 'rm -rf "$tmp"' EXIT

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

install_into() {  # <prefix> [DESTDIR]
  if ! DESTDIR=${2:-} cmake --install "$build" --prefix "$1" >"$tmp/log" 2>&1; then
    cat "$tmp/log"
    echo "FAIL: cmake --install --prefix $1 ${2:+(DESTDIR=$2)}"
    exit 1
  fi
}

# Width and height of a PNG, from its header.
png_size() {
  od -An -tu1 -j16 -N8 "$1" | awk '{ printf "%dx%d", $3 * 256 + $4, $7 * 256 + $8 }'
}

# Everything expected under <root> (a prefix, possibly below DESTDIR).
check_layout() {
  root=$1
  prog=$root/$progdir
  [ -f "$prog/ombo" ] && [ ! -L "$prog/ombo" ] && [ -x "$prog/ombo" ] \
    || fail "$prog/ombo is not an executable file"
  [ -f "$prog/ombo-fenetres.so" ] || fail "$prog/ombo-fenetres.so (the windows) is missing"
  [ -f "$prog/ombo-impression.so" ] || fail "$prog/ombo-impression.so (the booklet) is missing"
  cmp -s "$prog/ombo.chm" "$build/ombo.chm" || fail "$prog/ombo.chm differs from the built help file"
  db=$prog/ombo.mdb
  if [ ! -f "$db" ]; then
    fail "no almanac $db"
  elif [ "$(head -c 15 "$db")" != "SQLite format 3" ]; then
    fail "$db is not an SQLite database"
  elif command -v sqlite3 >/dev/null; then
    rows=$(sqlite3 "$db" 'SELECT count(*) FROM Evenements') || fail "cannot read $db"
    want=$(grep -c . "$tsv")
    [ "$rows" = "$want" ] || fail "$db holds $rows days, the shipped almanac $want"
    day=$(sqlite3 -separator '	' "$db" "SELECT Date, Evenement1, Evenement2 FROM Evenements WHERE Date = '01/01'")
    [ "$day" = "$(grep '^01/01	' "$tsv")" ] || fail "01/01 in $db is '$day'"
  fi

  link=$root/$bindir/ombo
  if [ ! -L "$link" ]; then
    fail "$link is not a symbolic link"
  else
    to=$(readlink "$link")
    case $to in
      /*) fail "$link points to the absolute $to" ;;
    esac
    [ "$(readlink -f "$link")" = "$(readlink -f "$prog/ombo")" ] \
      || fail "$link leads to $(readlink -f "$link"), not to the program"
  fi

  share=$root/$datadir
  [ -f "$share/applications/fr.valdric.Ombrelune.desktop" ] || fail "no desktop entry"
  [ -f "$share/metainfo/fr.valdric.Ombrelune.metainfo.xml" ] || fail "no metainfo"
  for s in 16 32 48 64 128 256; do
    icon=$share/icons/hicolor/${s}x${s}/apps/fr.valdric.Ombrelune.png
    if [ ! -f "$icon" ]; then
      fail "no icon $icon"
    elif [ "$(png_size "$icon")" != "${s}x${s}" ]; then
      fail "$icon is $(png_size "$icon")"
    fi
  done
}

# 1. A fresh install.
prefix=$tmp/prefix
install_into "$prefix"
check_layout "$prefix"

# 2. The user edits the almanac; installing again must keep it.
db=$prefix/$progdir/ombo.mdb
if [ -f "$db" ]; then
  if command -v sqlite3 >/dev/null; then
    sqlite3 "$db" "UPDATE Evenements SET Evenement2 = 'Anniversaire de Lucie' WHERE Date = '05/01'" \
      || fail "cannot edit $db"
  else
    printf 'edited' >>"$db"
  fi
  cp "$db" "$tmp/edited.mdb"
  install_into "$prefix"
  cmp -s "$db" "$tmp/edited.mdb" || fail "a second install changed the existing almanac"
  grep -q "Keeping: .*ombo.mdb" "$tmp/log" || fail "the second install did not report keeping the almanac"
fi

# 3. A staged install (DESTDIR) lands below the stage only.
stage=$tmp/stage
install_into /opt/ombo-test "$stage"
check_layout "$stage/opt/ombo-test"
[ ! -e /opt/ombo-test ] || fail "the staged install wrote outside DESTDIR"

if [ "$failures" -ne 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "install layout OK"
