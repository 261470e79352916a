#!/bin/sh
# Installs what the benchmarks need when it is missing, builds them in ./build-bench
# (RelWithDebInfo, or the type given in TYPOVISE_BENCH_TYPE), runs every one of them and prints
# one table. Catalogues are printed to PDF files in a temporary directory, never on paper.
#   RUNS=5 ./scripts/bench.sh      more runs per figure (the default is 5)
#   SCALE=middle ./scripts/bench.sh
#                                  among the real fonts of a scale of the font farm (small:
#                                  about 40 families, middle: about 500, large: about 4,000,
#                                  huge: about 16,000),
#                                  built by bench/fontfarm.sh on first use; the runs default to
#                                  5, 3, 1 and 1. The benchmarks that depend on the number of
#                                  entries rather than of fonts (scripted start-ups, cycling
#                                  estimates and printing) are left out there.
# The printing benchmark and the same-engine floor (bench_floor: the same catalogue by a plain
# QPainter on Qt's PDF engine) run one after the other, and the table gives the printing time
# and peak memory as ratios to the floor's.
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
build="$root/build-bench"
scale=${SCALE:-}
case $scale in
'') runs=${RUNS:-5} ;;
small) runs=${RUNS:-5} ;;
middle) runs=${RUNS:-3} ;;
large | huge) runs=${RUNS:-1} ;;
*)
    echo "SCALE is small, middle, large or huge" >&2
    exit 2
    ;;
esac

# python3-fonttools renames the copies of the font farm's huge scale.
PACKAGES="cmake g++ make qt6-base-dev libgl-dev libcups2-dev librsvg2-bin fonts-liberation \
fonts-crosextra-carlito fonts-dejavu-core fontconfig libfontconfig-dev libfreetype-dev pkg-config libqpdf-dev \
python3-fonttools"
# shellcheck disable=SC2086
./scripts/install-packages.sh $PACKAGES

if [ -n "$scale" ]; then
    farm=$(bench/fontfarm.sh "$scale")
    FONTCONFIG_FILE=$(printf '%s\n' "$farm" | cut -f3)
    export FONTCONFIG_FILE
    echo "font farm, $scale scale: $(printf '%s\n' "$farm" | cut -f2) families \
(FONTCONFIG_FILE=$FONTCONFIG_FILE)" >&2
fi

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE="${TYPOVISE_BENCH_TYPE:-RelWithDebInfo}" \
    -DTYPOVISE_BENCH=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" --parallel "$(nproc)" \
    --target bench_startup bench_estimate bench_keystroke bench_sample bench_print bench_floor \
    >/dev/null

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
if [ -z "$scale" ]; then
    run memory "$bin/bench_startup" --memory 30000
    run estimate "$bin/bench_estimate" "$((runs * 3))"
    run keystroke "$bin/bench_keystroke" 30000 40
    run sample "$bin/bench_sample" 1000
else
    run estimate "$bin/bench_estimate" real
    # A new size measures every face again: minutes at the large scale for each first key.
    if [ "$scale" != large ]; then
        run keystroke "$bin/bench_keystroke" 30000 40
        run sample "$bin/bench_sample" 1000
    fi
fi
# No printer is reachable for the printing runs, so the catalogues go to PDF files.
export CUPS_SERVER=/nonexistent
run print_real "$bin/bench_print" real "$runs"
run floor "$bin/bench_floor" "$runs"
if [ -z "$scale" ]; then
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
fi

# Typovise against the floor, both over the installed families in this run. The target is the
# one set for thousands of families, so it is judged at the large scale only.
# Processor time is given too: on shared cores it stretches less than wall time.
awk -F'\t' -v scale="$scale" '/^PEAK/ {
        floor = $2 == "floor"; peak[floor] = $3; ms[floor] = $6; cpu[floor] = $7
    }
    END {
        if (!ms[1] || !peak[1] || !cpu[1])
            exit
        time = ms[0] / ms[1]
        ok = scale != "large" ? "-" : (time <= 1 / 3 ? "yes" : "NO")
        printf "RESULT\tPrinting, Typovise / same-engine floor\tthe installed families\t" \
            "time x%.2f, processor x%.2f, peak RSS x%.2f\t-\ttime <= 1/3 of the floor " \
            "(large scale)\t%s\n", time, cpu[0] / cpu[1], peak[0] / peak[1], ok
    }' "$out/print_real.log" "$out/floor.log" >"$out/ratio.log"

echo
echo "Fonts: ${scale:+the $scale scale of the font farm, }$(fc-list : family | sort -u | wc -l) \
fontconfig families${FONTCONFIG_FILE:+ (FONTCONFIG_FILE=$FONTCONFIG_FILE)}"
echo "Machine: $(nproc) cores, $(lscpu | sed -n 's/^Model name: *//p'), \
$(free -m | awk '/^Mem:/ { print $2 " MB" }') of memory; build $(sed -n \
's/^CMAKE_BUILD_TYPE:STRING=//p' "$build/CMakeCache.txt"); load average $load_before before \
the runs, $(cut -d' ' -f1 /proc/loadavg) after (wall times stretch when it exceeds the cores)"
{
    printf 'benchmark\tsize of work\tmedian time\tper font\ttarget\tmet\n'
    for log in startup memory estimate keystroke sample print_real floor ratio print_1000 \
        print_3000 growth; do
        if [ -e "$out/$log.log" ]; then cat "$out/$log.log"; fi
    done | sed -n 's/^RESULT\t//p'
} | column -t -s "$(printf '\t')"
exit $status
