#!/bin/sh
# The Debian package as people meet it: lintian's verdict, then installed
# with apt-get into a fresh Debian 12 root and used from an ordinary
# account, then removed.
#   tests/package-test.sh build/package/ombrelune_<version>_amd64.deb
# Needs root (chroot), debootstrap, lintian and Debian's package servers.
# The bare root is made once and kept, with the packages it downloads, in
# $OMBO_TEST_CACHE (default /var/cache/ombrelune-test); each run works on a
# copy of it.
set -eu

[ $# -eq 1 ] || { echo "usage: $0 <ombrelune_*.deb>" >&2; exit 2; }
deb=$(readlink -f "$1")
cache=${OMBO_TEST_CACHE:-/var/cache/ombrelune-test}
mirror=${OMBO_TEST_MIRROR:-http://deb.debian.org/debian}
base=$cache/bookworm

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# 1. lintian: no error and no warning.
lintian --fail-on error,warning --info "$deb" || fail "lintian"

# 2. The bare root, once: minbase, man-db, and the package lists.
mkdir -p "$cache/archives"
if [ ! -e "$base/.complete" ]; then
  rm -rf --one-file-system "$base.tmp"
  if ! debootstrap --variant=minbase --include=man-db bookworm "$base.tmp" "$mirror" >"$cache/debootstrap.log" 2>&1 ||
     ! chroot "$base.tmp" apt-get update -qq >>"$cache/debootstrap.log" 2>&1; then
    tail -n 20 "$cache/debootstrap.log"
    echo "FAIL: could not make the Debian 12 root"
    exit 1
  fi
  chroot "$base.tmp" apt-get clean
  touch "$base.tmp/.complete"
  mv "$base.tmp" "$base"
fi

# 3. A copy to work in, with /proc (the program finds itself there).
root=$(mktemp -d "$cache/run.XXXXXX")
cleanup() {
  umount "$root/proc" 2>/dev/null || true
  rm -rf --one-file-system "$root"
}
trap cleanup EXIT
cp -a "$base/." "$root/"
mount -t proc proc "$root/proc"
as_root() { chroot "$root" env DEBIAN_FRONTEND=noninteractive "$@"; }
as_lucie() {
  chroot --userspec=lucie:lucie "$root" env -i HOME=/home/lucie PATH=/usr/bin:/bin LANG=C.UTF-8 "$@"
}

# 4. Installed as any package, with what it depends on.
cp "$cache"/archives/*.deb "$root/var/cache/apt/archives/" 2>/dev/null || true
cp "$deb" "$root/tmp/"
if ! as_root apt-get install -y -q --no-install-recommends "/tmp/${deb##*/}" >"$root/install.log" 2>&1; then
  tail -n 20 "$root/install.log"
  echo "FAIL: apt-get install"
  exit 1
fi
cp "$root"/var/cache/apt/archives/*.deb "$cache/archives/" 2>/dev/null || true
for f in /usr/bin/ombo /usr/lib/x86_64-linux-gnu/ombrelune/ombo-fenetres.so \
         /usr/lib/x86_64-linux-gnu/ombrelune/ombo-impression.so \
         /usr/lib/x86_64-linux-gnu/ombrelune/ombo-synchro.so /usr/share/ombrelune/ombo.mdb \
         /usr/share/ombrelune/ombo.chm /usr/share/man/man1/ombo.1.gz /usr/share/man/fr/man1/ombo.1.gz \
         /usr/share/applications/fr.valdric.Ombrelune.desktop /usr/share/metainfo/fr.valdric.Ombrelune.metainfo.xml; do
  [ -f "$root$f" ] || fail "$f is not installed"
done
as_root useradd -m -s /bin/sh lucie

# 5. The first start makes the user's almanac from the default.
home=$root/home/lucie
mine=$home/.local/share/ombrelune/ombo.mdb
as_lucie ombo --aujourdhui >"$root/greeting" 2>&1 || fail "ombo --aujourdhui: $(cat "$root/greeting")"
grep -q "^Bonjour ! Nous sommes le" "$root/greeting" || fail "no greeting: $(head -n 3 "$root/greeting")"
if [ ! -f "$mine" ]; then
  fail "no almanac $mine"
else
  cmp -s "$mine" "$root/usr/share/ombrelune/ombo.mdb" || fail "$mine is not the default almanac"
  [ "$(stat -c %u "$mine")" = "$(chroot "$root" id -u lucie)" ] || fail "$mine does not belong to lucie"
fi
[ ! -e "$root/usr/bin/ombo.mdb" ] || fail "an almanac was made beside the program"

# An unusable data folder: a numbered message, and nothing made anywhere.
touch "$home/bloque"
as_lucie env XDG_DATA_HOME=/home/lucie/bloque ombo --aujourdhui >"$root/blocked" 2>&1 && fail "a blocked data folder was accepted"
grep -q "^Erreur N° 3044 - Le dossier de l'almanach « /home/lucie/bloque/ombrelune/ » ne peut être ni lu ni créé" \
  "$root/blocked" || fail "blocked data folder: $(cat "$root/blocked")"
[ -z "$(find "$root/usr/bin" "$root/tmp" -newer "$home/bloque" -name 'ombo*.mdb')" ] || fail "an almanac was made elsewhere"

# 6. An import lands in the user's almanac, never in the default.
printf 'Date,Evenement1,Evenement2\r\n05/01,Lucie,Anniversaire de Lucie\r\n' >"$home/anniv.csv"
as_lucie ombo --importer /home/lucie/anniv.csv --remplacer >"$root/import" 2>&1 || fail "import: $(cat "$root/import")"
as_lucie ombo --exporter /home/lucie/sortie.csv >"$root/export" 2>&1 || fail "export: $(cat "$root/export")"
grep -q '^05/01,Lucie,Anniversaire de Lucie' "$home/sortie.csv" 2>/dev/null || fail "the import is not in the almanac"
! cmp -s "$mine" "$root/usr/share/ombrelune/ombo.mdb" || fail "the import did not reach $mine"
dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/ombrelune/ombo.mdb | cmp -s - "$root/usr/share/ombrelune/ombo.mdb" \
  || fail "the shared default almanac changed"

# 7. The window module and the booklet's, from the library folder: the PDF booklet.
as_lucie env QT_QPA_PLATFORM=offscreen ombo --exporter /home/lucie/livret.pdf >"$root/pdf" 2>&1 \
  || fail "PDF export: $(cat "$root/pdf")"
[ "$(head -c 4 "$home/livret.pdf" 2>/dev/null)" = "%PDF" ] || fail "no PDF booklet"

# 8. The manual pages, English and French.
as_lucie man -P cat ombo 2>&1 | grep -q "desktop almanac" || fail "man ombo"
as_lucie man -L fr -P cat ombo 2>&1 | grep -q "almanach de bureau" || fail "man -L fr ombo"

# 9. Removing the package leaves the user's almanac as it was.
sum=$(md5sum <"$mine")
as_root apt-get remove -y -q ombrelune >"$root/remove.log" 2>&1 || fail "apt-get remove: $(tail -n 5 "$root/remove.log")"
[ ! -e "$root/usr/bin/ombo" ] || fail "/usr/bin/ombo is still there"
[ "$(md5sum <"$mine" 2>/dev/null)" = "$sum" ] || fail "removing the package changed $mine"

if [ "$failures" -ne 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "package test OK"
