#!/bin/sh
# Sets up and builds Typovise, then runs the whole test suite, the printing tests against a
# CUPS daemon and queue of their own.
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
# The package test checks the .deb with lintian, appstreamcli, desktop-file-validate, man and
# file, and the window's class and icon with xwininfo and xprop; the loading window's test runs
# under openbox; the tests of fonts made for other scripts build them from the Khmer OS fonts
# with fontTools.
TYPOVISE_EXTRA_PACKAGES="cups cups-client printer-driver-cups-pdf desktop-file-utils lintian \
appstream man-db file openbox x11-utils fonts-khmeros python3-fonttools" ./scripts/setup.sh

if [ "$(id -u)" -eq 0 ]; then SUDO=""; else SUDO="sudo"; fi

# The tests check French dates, and the paper of France and the United States; generate those
# locales once when missing.
for wanted in fr_FR en_US; do
    if ! locale -a 2>/dev/null | grep -qi "^$wanted\.utf-\?8\$"; then
        $SUDO localedef -i "$wanted" -f UTF-8 "$wanted.UTF-8"
    fi
done

# A private cupsd on its own socket, so that the machine's printers are neither used nor
# touched. Its queues keep every job as the program sent it: TypoviseTest, the default, for
# the end-to-end tests, TypoviseFaults, which the fault tests stop and make refuse jobs, and
# TypoviseDuplex, which prints on both sides.
work=$(mktemp -d /tmp/typovise-cups.XXXXXX)
chmod 755 "$work"
mkdir -p "$work/etc/ppd" "$work/spool/tmp" "$work/cache" "$work/state" "$work/log" \
    "$work/jobs" "$work/faultjobs" "$work/duplexjobs"
chmod 1777 "$work/jobs" "$work/faultjobs" "$work/duplexjobs"
cleanup() {
    "$work/cupsd-control" stop 2>/dev/null || true
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
ServerBin $work/serverbin
DataDir /usr/share/cups
SystemGroup root
CONF
# The scheduler's programs are the system's, reached through links, with the test backend
# added beside them: nothing is installed into the system's own folders.
mkdir -p "$work/serverbin/backend"
for entry in /usr/lib/cups/*; do
    [ "$(basename "$entry")" = backend ] || ln -s "$entry" "$work/serverbin/"
done
for entry in /usr/lib/cups/backend/*; do
    ln -s "$entry" "$work/serverbin/backend/"
done
$SUDO install -m 0700 tests/cups/typovise-keep "$work/serverbin/backend/typovise-keep"

# Starts and stops that cupsd by the PID it was started with, so that the end of the run stops
# this one and no other.
cat > "$work/cupsd-control" <<CONTROL
#!/bin/sh
export CUPS_SERVER="$work/cups.sock"
case "\$1" in
start)
    $SUDO cupsd -f -c "$work/etc/cupsd.conf" -s "$work/etc/cups-files.conf" \
        </dev/null >>"$work/log/cupsd.out" 2>&1 &
    echo \$! > "$work/cupsd.pid"
    for _ in \$(seq 1 50); do
        if lpstat -r >/dev/null 2>&1; then exit 0; fi
        sleep 0.2
    done
    exit 1 ;;
stop)
    pid=\$(cat "$work/cupsd.pid" 2>/dev/null) || exit 0
    $SUDO kill "\$pid" 2>/dev/null || true
    for _ in \$(seq 1 50); do
        if ! $SUDO kill -0 "\$pid" 2>/dev/null; then rm -f "$work/cupsd.pid"; exit 0; fi
        sleep 0.2
    done
    exit 1 ;;
esac
exit 2
CONTROL
chmod 755 "$work/cupsd-control"

cups_ready=0
if command -v cupsd >/dev/null 2>&1 && "$work/cupsd-control" start; then
    cups_ready=1
fi
if [ "$cups_ready" -eq 1 ]; then
    export CUPS_SERVER="$work/cups.sock"
    # A scheduler that has just said it runs may still turn a first request away; each call
    # is tried again for a few seconds before its error is shown.
    admin() {
        for _ in 1 2 3 4 5 6 7 8 9 10; do
            if lpadmin "$@" 2>"$work/log/lpadmin.err"; then return 0; fi
            sleep 0.5
        done
        cat "$work/log/lpadmin.err" >&2
        return 1
    }
    admin -p TypoviseTest -E -v "typovise-keep:$work/jobs" -m raw
    admin -d TypoviseTest
    admin -p TypoviseFaults -E -v "typovise-keep:$work/faultjobs" -m raw
    # A printer that prints on both sides, as Qt's print dialog learns from its PPD; the job
    # still reaches the backend as it was sent. CUPS warns that PPDs are deprecated.
    admin -p TypoviseDuplex -E -v "typovise-keep:$work/duplexjobs" -P tests/cups/typovise-duplex.ppd
    export TYPOVISE_CUPS_OUTPUT="$work/jobs"
    export TYPOVISE_CUPS_FAULT_QUEUE=TypoviseFaults
    export TYPOVISE_CUPS_FAULT_OUTPUT="$work/faultjobs"
    export TYPOVISE_CUPS_DUPLEX_QUEUE=TypoviseDuplex
    export TYPOVISE_CUPS_DUPLEX_OUTPUT="$work/duplexjobs"
elif [ "${TYPOVISE_SKIP_CUPS:-0}" = 1 ]; then
    echo "cupsd could not start: the CUPS printing tests will be skipped" >&2
    unset CUPS_SERVER
else
    echo "cupsd could not start (see $work/log/error_log); set TYPOVISE_SKIP_CUPS=1 to test without it" >&2
    cat "$work/log/error_log" 2>/dev/null >&2 || true
    exit 1
fi

# The fuzzers run whatever CTest found, so that one red run shows every fault at once; the
# exit status says whether both passed. TYPOVISE_TESTS=<regular expression> runs only the tests
# it names, against the same private cupsd, and no fuzzer.
cd "$root/build"
tests_status=0
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel "$(nproc)" \
    ${TYPOVISE_TESTS:+-R "$TYPOVISE_TESTS"} || tests_status=$?
fuzz_status=0
[ -n "${TYPOVISE_TESTS:-}" ] || "$root/scripts/fuzz.sh" || fuzz_status=$?
[ "$tests_status" -eq 0 ] || echo "test suite: FAILED (ctest status $tests_status)" >&2
[ "$fuzz_status" -eq 0 ] || echo "fuzzers: FAILED (status $fuzz_status)" >&2
[ "$tests_status" -eq 0 ] && [ "$fuzz_status" -eq 0 ]
