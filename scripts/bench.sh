#!/bin/sh
# Installs what the benchmarks need when it is missing, builds them in ./build-bench
# (RelWithDebInfo, or the type given in TYPOVISE_BENCH_TYPE), runs every one of them and prints
# one table. Catalogues are printed to PDF files in a temporary directory, never on paper.
#   RUNS=5 ./scripts/bench.sh      more runs per figure (the default is 5)
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
build="$root/build-bench"
runs=${RUNS:-5}

PACKAGES="cmake g++ make qt6-base-dev libgl-dev libcups2-dev librsvg2-bin fonts-liberation \
fonts-crosextra-carlito fonts-dejavu-core"
# shellcheck disable=SC2086
./scripts/install-packages.sh $PACKAGES

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE="${TYPOVISE_BENCH_TYPE:-RelWithDebInfo}" \
    -DTYPOVISE_BENCH=ON >/dev/null
cmake --build "$build" --parallel "$(nproc)" \
    --target bench_startup bench_estimate bench_keystroke bench_sample bench_print >/dev/null

export QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8
load_before=$(cut -d' ' -f1 /proc/loadavg)
out=$(mktemp -d /tmp/typovise-bench.XXXXXX)
trap 'rm -rf "$out"' EXIT INT TERM
status=0
run() {
    name=$1
    shift
    echo "== $name" >&2
    if ! "$@" >"$out/$name.log" 2>"$out/$name.err"; then
        status=1
    fi
    grep -v '^RESULT\|^PEAK' "$out/$name.log" >&2 || true
}

bin="$build/bench"
run startup "$bin/bench_startup" "$runs"
run memory "$bin/bench_startup" --memory 30000
run estimate "$bin/bench_estimate" "$((runs * 3))"
run keystroke "$bin/bench_keystroke" 30000 40
run sample "$bin/bench_sample" 1000
# No printer is reachable for the printing runs, so the catalogues go to PDF files.
export CUPS_SERVER=/nonexistent
run print_real "$bin/bench_print" real "$runs"
run print_1000 "$bin/bench_print" 1000 3
run print_3000 "$bin/bench_print" 3000 3

# Peak memory must grow with the output only: compare the growth of the peak resident set
# from 1,000 to 3,000 entries with the growth of the PDF file.
growth=$(awk -F'\t' '/^PEAK/ { peak[$2] = $3; pdf[$2] = $5 }
    END {
        rss = (peak[3000] - peak[1000]) / 1024; file = (pdf[3000] - pdf[1000]) / 1048576
        ok = (rss <= file + 2) ? "yes" : "NO"
        printf "RESULT\tPrinting, memory growth\t1,000 -> 3,000 entries\t+%.1f MB peak RSS\t" \
            "+%.1f MB of PDF\tno more than the PDF grows (+2 MB)\t%s\n", rss, file, ok
    }' "$out/print_1000.log" "$out/print_3000.log")
printf '%s\n' "$growth" >"$out/growth.log"
case "$growth" in *NO) status=1 ;; esac

echo
echo "Machine: $(nproc) cores, $(lscpu | sed -n 's/^Model name: *//p'), \
$(free -m | awk '/^Mem:/ { print $2 " MB" }') of memory; build $(sed -n \
's/^CMAKE_BUILD_TYPE:STRING=//p' "$build/CMakeCache.txt"); load average $load_before before \
the runs, $(cut -d' ' -f1 /proc/loadavg) after (wall times stretch when it exceeds the cores)"
{
    printf 'benchmark\tsize of work\tmedian time\tper font\ttarget\tmet\n'
    cat "$out"/startup.log "$out"/memory.log "$out"/estimate.log "$out"/keystroke.log \
        "$out"/sample.log \
        "$out"/print_real.log "$out"/print_1000.log "$out"/print_3000.log "$out"/growth.log |
        sed -n 's/^RESULT\t//p'
} | column -t -s "$(printf '\t')"
exit $status
