#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR under /usr and checks that a
# desktop finds the program there: binaries, menu entry, icons, metadata and
# man pages, and that the validators accept the entry and the metadata.
# Usage: install_tree.sh BUILD_DIR APP_ID HAS_ZILCTL
set -euo pipefail
build=$1 id=$2 has_zilctl=$3
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT

DESTDIR="$root" cmake --install "$build" --prefix /usr >/dev/null
usr="$root/usr"
expected=(
    bin/zilsistemi
    share/man/man1/zilsistemi.1.gz
    share/doc/zilsistemi/copyright
    share/doc/zilsistemi/changelog.gz
    "share/applications/$id.desktop"
    "share/applications/$id.year.desktop"
    "share/metainfo/$id.metainfo.xml"
    "share/icons/hicolor/scalable/apps/$id.svg"
)
for size in 16 32 48 64 128 256; do expected+=("share/icons/hicolor/${size}x${size}/apps/$id.png"); done
[ "$has_zilctl" = 1 ] && expected+=(bin/zilctl share/man/man1/zilctl.1.gz lib/systemd/system/zilsistemi-site.service
    lib/systemd/system/zilsistemi-site.timer lib/sysusers.d/zilsistemi.conf share/doc/zilsistemi/examples/site.toml)
status=0
for file in "${expected[@]}"; do
    [ -s "$usr/$file" ] || { echo "missing: /usr/$file"; status=1; }
done
[ -x "$usr/bin/zilsistemi" ] || { echo "not executable: /usr/bin/zilsistemi"; status=1; }

# The menu entry starts the installed program and shows the installed icon.
entry="$usr/share/applications/$id.desktop"
grep -qx "Exec=zilsistemi" "$entry" || { echo "Exec does not start zilsistemi"; status=1; }
grep -qx "Icon=$id" "$entry" || { echo "Icon is not $id"; status=1; }
grep -q "^Name\[tr\]=" "$entry" || { echo "no Turkish name"; status=1; }
grep -qx "Exec=zilsistemi --year" "$usr/share/applications/$id.year.desktop" || { echo "the year entry does not open the year window"; status=1; }
file -b "$usr/share/icons/hicolor/48x48/apps/$id.png" | grep -q "48 x 48" || { echo "48x48 icon is not 48 x 48"; status=1; }

if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$entry" "$usr/share/applications/$id.year.desktop" || status=1
else
    echo "desktop-file-validate not installed: entry not validated"
fi
if command -v appstreamcli >/dev/null; then
    # The metadata, and that it finds its menu entry in the tree.
    appstreamcli validate-tree --no-net --pedantic "$root" || status=1
else
    echo "appstreamcli not installed: metadata not validated"
fi
for page in "$usr"/share/man/man1/*.1.gz; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null || true)
    [ -z "$warnings" ] || { echo "$page: $warnings"; status=1; }
done
if [ "$has_zilctl" = 1 ]; then
    # The example site is sound as installed, and the service applies the site the timer names.
    "$usr/bin/zilctl" site check "$usr/share/doc/zilsistemi/examples/site.toml" >/dev/null || { echo "the example site fails site check"; status=1; }
    grep -qx "ExecStart=/usr/bin/zilctl site apply --set-clocks .* /etc/zilsistemi/site.toml" "$usr/lib/systemd/system/zilsistemi-site.service" \
        || { echo "the service does not apply /etc/zilsistemi/site.toml"; status=1; }
    grep -qx "Persistent=true" "$usr/lib/systemd/system/zilsistemi-site.timer" || { echo "the timer is not persistent"; status=1; }
fi
[ $status -eq 0 ] && echo "installed tree complete"
exit $status
