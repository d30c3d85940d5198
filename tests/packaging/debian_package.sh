#!/usr/bin/env bash
# Builds the Debian package with cpack, unpacks it and starts the unpacked
# program with --version, offscreen and without a display.
# Usage: debian_package.sh BUILD_DIR VERSION
set -euo pipefail
build=$1 version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; exit 1; }
debs=("$work"/out/zilsistemi_"$version"_*.deb)
[ -f "${debs[0]}" ] || { echo "no zilsistemi_${version}_*.deb in:"; ls "$work/out"; exit 1; }
deb=${debs[0]}

status=0
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
# Worked out from the binaries: Debian's Qt 6 libraries come in with apt.
for needed in libqt6widgets6 libqt6serialport6 libqt6network6 libqt6svg6 libqt6printsupport6 libical3 qt6-qpa-plugins fonts-dejavu-core; do
    grep -q "$needed" <<<"$depends" || { echo "Depends lacks $needed"; status=1; }
done
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || { echo "package version is not $version"; status=1; }

dpkg-deb -x "$deb" "$work/root"
program="$work/root/usr/bin/zilsistemi"
shown=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen "$program" --version)
[ "$shown" = "zilsistemi $version" ] || { echo "--version printed: $shown"; status=1; }
# No platform at all: --help must not need one.
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" --help | grep -q -- "--version" \
    || { echo "--help without a display failed"; status=1; }
# The timer ships without being enabled: no link in a .wants folder, no maintainer script.
contents=$(dpkg-deb -c "$deb")
for shipped in lib/systemd/system/zilsistemi-site.timer share/doc/zilsistemi/examples/site.toml share/doc/zilsistemi/examples/resmi-tatiller.ics share/doc/zilsistemi/copyright; do
    grep -q "$shipped" <<<"$contents" || { echo "the package lacks $shipped"; status=1; }
done
! grep -q "\.wants/" <<<"$contents" || { echo "the package enables a unit"; status=1; }
if command -v lintian >/dev/null; then
    lintian --no-tag-display-limit "$deb" >"$work/lintian.log" 2>&1 || true
    ! grep "^E:" "$work/lintian.log" || { echo "lintian finds errors"; status=1; }
else
    echo "lintian not installed: package not linted"
fi
[ $status -eq 0 ] && echo "package $(basename "$deb") unpacks and starts"
exit $status
