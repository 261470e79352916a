#!/bin/sh
# Builds the Debian package from the build directory and checks what a user would get from
# `apt install`: the command, the desktop entry, the icons, the metainfo, the manual page, the
# dependencies, a clean lintian report, and a window whose class and icon match the entry.
# Usage: tst_package.sh <build directory>
set -eu
build=$1
work=$(mktemp -d /tmp/typovise-package.XXXXXX)
trap 'rm -rf "$work"' EXIT INT TERM

fail() { echo "FAIL: $*" >&2; exit 1; }
id=io.github.typovise.typovise

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log" >&2; fail "cpack could not build the package"; }
set -- "$work"/typovise_*.deb
[ -f "$1" ] || fail "no typovise_*.deb in the cpack output"
deb=$1

dpkg-deb -c "$deb" | awk '{ print $1 " " $6 }' >"$work/contents"
has_file() {
    grep -qx -- "-$2 \./usr/$1" "$work/contents" || fail "the package lacks /usr/$1 (mode -$2)"
}
has_file bin/typovise rwxr-xr-x
has_file share/applications/$id.desktop rw-r--r--
has_file share/metainfo/$id.metainfo.xml rw-r--r--
has_file share/icons/hicolor/scalable/apps/typovise.svg rw-r--r--
has_file share/man/man1/typovise.1.gz rw-r--r--
has_file share/doc/typovise/copyright rw-r--r--
has_file share/doc/typovise/changelog.gz rw-r--r--
! grep -q 'include/\|\.a$\|tst_\|bench_\|fuzz_' "$work/contents" ||
    fail "the package carries build or test files"

field_lists() {
    dpkg-deb -f "$deb" "$1" | tr ',' '\n' | sed 's/^ *//; s/ .*//' | grep -qx "$2" ||
        fail "$1 does not list $2"
}
for package in libqt6widgets6 libqt6printsupport6 libcups2 fonts-liberation \
    fonts-crosextra-carlito qt6-translations-l10n; do
    field_lists Depends "$package"
done
field_lists Recommends cups
! dpkg-deb -f "$deb" Depends | grep -q '\bcups\b' || fail "CUPS is required, not recommended"

root="$work/root"
dpkg-deb -x "$deb" "$root"
share="$root/usr/share"
for size in 16 22 24 32 48 64 128 256; do
    png="$share/icons/hicolor/${size}x${size}/apps/typovise.png"
    file "$png" | grep -q "PNG image data, $size x $size," || fail "no $size px icon at $png"
done
! grep -q '<text' "$share/icons/hicolor/scalable/apps/typovise.svg" ||
    fail "the icon depends on a font to be drawn"

desktop="$share/applications/$id.desktop"
desktop-file-validate "$desktop" || fail "desktop-file-validate rejects the entry"
entry() { sed -n "s/^$1=//p" "$desktop"; }
[ "$(entry Exec)" = typovise ] || fail "Exec=$(entry Exec) is not the installed command"
[ "$(entry Icon)" = typovise ] || fail "Icon=$(entry Icon) does not name the installed icons"
appstreamcli validate --no-net --pedantic "$share/metainfo/$id.metainfo.xml" ||
    fail "appstreamcli rejects the metainfo"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" \
    "$share/metainfo/$id.metainfo.xml" || fail "the metainfo does not launch the desktop entry"
grep -q "<project_license>GPL-3.0-or-later</project_license>" "$share/metainfo/$id.metainfo.xml" ||
    fail "the metainfo does not give the licence"
! grep -q "https\?://" "$share/metainfo/$id.metainfo.xml" ||
    fail "the metainfo names a web address, but the project is published nowhere"
grep -qx "License: GPL-3.0-or-later" "$share/doc/typovise/copyright" ||
    fail "the copyright file does not give the licence"
warnings=$(LC_ALL=C.UTF-8 man --warnings -E UTF-8 -l "$share/man/man1/typovise.1.gz" 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "the manual page has faults: $warnings"

lintian --allow-root --info "$deb" >"$work/lintian.log" 2>&1 || true
grep '^[EW]:' "$work/lintian.log" || echo "lintian: no error, no warning"
! grep -q '^E:' "$work/lintian.log" || fail "lintian reports errors"

# The window manager matches the window to the entry by StartupWMClass, and shows the icon the
# program sets on its windows.
cat >"$work/window.sh" <<'PROBE'
"$1" >/dev/null 2>&1 &
program=$!
window=""
for _ in $(seq 1 150); do
    window=$(xwininfo -root -tree | awk '/"Typovise / { print $1; exit }')
    [ -n "$window" ] && break
    sleep 0.2
done
[ -n "$window" ] && xprop -id "$window" WM_CLASS _NET_WM_ICON | grep -o 'WM_CLASS.*\|Icon ([0-9]* x [0-9]*)'
kill "$program"
PROBE
(cd "$work" && env -u QT_QPA_PLATFORM LC_ALL=C.UTF-8 timeout 90 xvfb-run -a sh "$work/window.sh" "$root/usr/bin/typovise") \
    >"$work/window.log" 2>&1 || true
class=$(sed -n 's/^WM_CLASS(STRING) = "[^"]*", "\([^"]*\)"$/\1/p' "$work/window.log")
[ -n "$class" ] || { cat "$work/window.log" >&2; fail "no main window appeared under Xvfb"; }
[ "$class" = "$(entry StartupWMClass)" ] ||
    fail "the window's class $class is not StartupWMClass=$(entry StartupWMClass)"
grep -q 'Icon (16 x 16)' "$work/window.log" || fail "the window carries no 16 px icon"
echo "the package installs the command, its entry, icons, metainfo and manual page"
