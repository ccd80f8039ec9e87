#!/usr/bin/env bash
# Generates the locale fr_FR.UTF-8 (Debian package `locales`) when it is
# missing, so that the C library's messages (strerror) can be French.
set -euo pipefail
locale -a 2>/dev/null | grep -qix 'fr_FR.utf8' && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
$sudo sed -i 's/^# *\(fr_FR.UTF-8 UTF-8\)/\1/' /etc/locale.gen
grep -qx 'fr_FR.UTF-8 UTF-8' /etc/locale.gen || echo 'fr_FR.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
$sudo locale-gen
