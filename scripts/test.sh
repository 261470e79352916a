#!/bin/sh
# Sets up and builds Typovise, then runs the whole test suite, the printing tests against a
# CUPS daemon and queue of their own.
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
TYPOVISE_EXTRA_PACKAGES="cups cups-client printer-driver-cups-pdf desktop-file-utils" ./scripts/setup.sh

if [ "$(id -u)" -eq 0 ]; then SUDO=""; else SUDO="sudo"; fi

# The tests check French dates and a decimal comma locale; generate it once when missing.
if ! locale -a 2>/dev/null | grep -qi '^fr_FR\.utf-\?8$'; then
    $SUDO localedef -i fr_FR -f UTF-8 fr_FR.UTF-8
fi

# A private cupsd on its own socket, so that the machine's printers are neither used nor
# touched; the queue keeps every job as Qt sent it.
work=$(mktemp -d /tmp/typovise-cups.XXXXXX)
chmod 755 "$work"
mkdir -p "$work/etc/ppd" "$work/spool/tmp" "$work/cache" "$work/state" "$work/log" "$work/jobs"
chmod 1777 "$work/jobs"
cupsd_pid=""
cleanup() {
    if [ -n "$cupsd_pid" ]; then
        $SUDO kill "$cupsd_pid" 2>/dev/null || true
        wait "$cupsd_pid" 2>/dev/null || true
    fi
    $SUDO rm -rf "$work"
}
trap cleanup EXIT INT TERM

cat > "$work/etc/cupsd.conf" <<CONF
Listen $work/cups.sock
LogLevel warn
WebInterface No
Browsing Off
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Location /admin>
  Order allow,deny
  Allow all
</Location>
CONF
cat > "$work/etc/cups-files.conf" <<CONF
ServerRoot $work/etc
RequestRoot $work/spool
TempDir $work/spool/tmp
CacheDir $work/cache
StateDir $work/state
ErrorLog $work/log/error_log
AccessLog $work/log/access_log
PageLog $work/log/page_log
ServerBin /usr/lib/cups
DataDir /usr/share/cups
SystemGroup root
CONF
$SUDO install -m 0700 tests/cups/typovise-keep /usr/lib/cups/backend/typovise-keep

cups_ready=0
if command -v cupsd >/dev/null 2>&1; then
    $SUDO cupsd -f -c "$work/etc/cupsd.conf" -s "$work/etc/cups-files.conf" &
    cupsd_pid=$!
    export CUPS_SERVER="$work/cups.sock"
    for _ in $(seq 1 50); do
        if lpstat -r >/dev/null 2>&1; then cups_ready=1; break; fi
        sleep 0.2
    done
fi
if [ "$cups_ready" -eq 1 ]; then
    lpadmin -p TypoviseTest -E -v "typovise-keep:$work/jobs" -m raw 2>/dev/null
    lpadmin -d TypoviseTest
    export TYPOVISE_CUPS_OUTPUT="$work/jobs"
elif [ "${TYPOVISE_SKIP_CUPS:-0}" = 1 ]; then
    echo "cupsd could not start: the CUPS printing tests will be skipped" >&2
    unset CUPS_SERVER
else
    echo "cupsd could not start (see $work/log/error_log); set TYPOVISE_SKIP_CUPS=1 to test without it" >&2
    cat "$work/log/error_log" 2>/dev/null >&2 || true
    exit 1
fi

cd "$root/build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel "$(nproc)"
"$root/scripts/fuzz.sh"
