#!/bin/sh
# Installs the build into a scratch prefix and checks that what lands there is a program a
# desktop can start: the executable, a valid desktop entry whose Exec names it, and its icon.
# Usage: tst_install.sh <build directory>
set -eu
build=$1
prefix=$(mktemp -d /tmp/typovise-install.XXXXXX)
trap 'rm -rf "$prefix"' EXIT INT TERM

cmake --install "$build" --prefix "$prefix" >/dev/null

fail() { echo "FAIL: $*" >&2; exit 1; }

exe="$prefix/bin/typovise"
desktop="$prefix/share/applications/io.github.typovise.typovise.desktop"
icon="$prefix/share/icons/hicolor/scalable/apps/typovise.svg"
[ -x "$exe" ] || fail "no executable at $exe"
[ -f "$desktop" ] || fail "no desktop entry at $desktop"
[ -f "$icon" ] || fail "no icon at $icon"

exec_line=$(sed -n 's/^Exec=//p' "$desktop")
[ -x "$prefix/bin/$exec_line" ] || fail "Exec=$exec_line does not name the installed program"
icon_name=$(sed -n 's/^Icon=//p' "$desktop")
[ "$icon_name.svg" = "$(basename "$icon")" ] || fail "Icon=$icon_name does not name the icon"
if command -v desktop-file-validate >/dev/null 2>&1; then
    desktop-file-validate "$desktop" || fail "desktop-file-validate rejects the entry"
else
    echo "desktop-file-validate not installed: entry format not validated" >&2
fi

# The installed copy starts on the real fonts and keeps running; the start-up writes no
# settings file beside it.
status=0
QT_QPA_PLATFORM=offscreen timeout 5 "$exe" >/dev/null 2>&1 || status=$?
[ "$status" -eq 124 ] || fail "the installed program ended with status $status within 5 s"
[ ! -e "$prefix/bin/Typovise.ini" ] || fail "the start-up created a settings file"
echo "installed program, desktop entry and icon are in place"
