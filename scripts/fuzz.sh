#!/bin/sh
# Builds the libFuzzer targets of the settings file, the leading-number rule and the join of
# PDF parts with clang, AddressSanitizer and UndefinedBehaviorSanitizer in ./build-fuzz,
# replays the fixed corpus in fuzz/corpus, then fuzzes each target for a bounded time
# (FUZZ_SECONDS, 60 by default).
# Any crash, leak, sanitizer report or broken invariant fails the script; the input that
# caused it is left in build-fuzz/findings/<target>/ next to the log.
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
seconds=${FUZZ_SECONDS:-60}

PACKAGES="cmake make clang libclang-rt-14-dev qt6-base-dev libgl-dev libcups2-dev libfontconfig-dev libfreetype-dev \
librsvg2-bin libqpdf-dev"
# shellcheck disable=SC2086
./scripts/install-packages.sh $PACKAGES

build="$root/build-fuzz"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
    -DCMAKE_CXX_COMPILER=clang++ -DTYPOVISE_FUZZ=ON -DBUILD_TESTING=OFF -DTYPOVISE_BENCH=OFF \
    >/dev/null
cmake --build "$build" --target typovise_fuzz --parallel "$(nproc)"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:allocator_may_return_null=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

status=0
for target in fuzz_profile_read fuzz_profile_write fuzz_leading_number fuzz_pdf_join; do
    binary="$build/fuzz/$target"
    findings="$build/findings/$target"
    work=$(mktemp -d "/tmp/typovise-$target.XXXXXX")
    rm -rf "$findings"
    mkdir -p "$findings"
    log="$findings/fuzz.log"

    # Every seed first: a seed that fails is a regression, whatever the random run finds.
    if ! "$binary" -runs=0 "$root/fuzz/corpus/$target" >"$findings/corpus.log" 2>&1; then
        echo "$target: the fixed corpus fails; see $findings/corpus.log" >&2
        tail -n 30 "$findings/corpus.log" >&2
        status=1
        rm -rf "$work"
        continue
    fi

    # New inputs go to a scratch corpus, so the committed one stays small and hand-made.
    if "$binary" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$findings/" \
        "$work" "$root/fuzz/corpus/$target" >"$log" 2>&1; then
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
        coverage=$(grep -o 'cov: [0-9]* ft: [0-9]*' "$log" | tail -n 1)
        echo "$target: ${runs:-?} runs in ${seconds} s (${speed:-?}/s), $coverage, no fault"
    else
        echo "$target: FAILED; input and log in $findings" >&2
        grep -E 'ERROR|invariant broken|runtime error|SUMMARY' "$log" >&2 || tail -n 30 "$log" >&2
        status=1
    fi
    rm -rf "$work"
done
exit $status
