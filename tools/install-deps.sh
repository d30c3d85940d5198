#!/usr/bin/env bash
# Installs the Debian 12 packages the program, its package and its tests need,
# if missing.
set -euo pipefail

packages=(
    cmake g++ make clang-format
    qt6-base-dev qt6-serialport-dev qt6-svg-dev qt6-qpa-plugins
    libtomlplusplus-dev
    # calendar files (.ics) read and written; the tests read them back in Python too
    libical-dev python3-icalendar
    libgl-dev fonts-dejavu-core
    qt6-translations-l10n
    # packaging and its checks: cpack's dependency scan, the validators, man
    dpkg-dev file desktop-file-utils appstream man-db lintian
    # the printed page's tests read its PDF text
    poppler-utils
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
