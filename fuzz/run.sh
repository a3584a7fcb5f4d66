#!/bin/sh
# Builds the libFuzzer targets in build-fuzz (clang, with AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for a bounded time, starting from
# the seeds in fuzz/corpus/<target> and what earlier runs found in
# build-fuzz/corpus/<target>. Prints per target the executions and the
# findings (crash files); exits 1 when there is a finding.
#
#   FUZZ_SECONDS   seconds per target (default 60)
#   FUZZ_TARGETS   which targets (default: all four)
#   FUZZ_BUILD     build folder (default build-fuzz)
# Extra arguments go to every fuzzer (for example -seed=1 or -jobs=2).

set -u
cd "$(dirname "$0")/.."

FUZZ_SECONDS=${FUZZ_SECONDS:-60}
FUZZ_TARGETS=${FUZZ_TARGETS:-"gamefiles valuerules profilefile codepage"}
BUILD=${FUZZ_BUILD:-build-fuzz}
CLANG=clang++-14
# libFuzzer and the sanitizer runtimes come with clang's runtime package; the
# symbolizer (llvm-14) turns the addresses of a finding into file and line.
FUZZ_PACKAGES="clang-14 libclang-rt-14-dev llvm-14"

sh tools/install-deps.sh $FUZZ_PACKAGES || exit 1

if [ ! -f "$BUILD/build.ninja" ]; then
    cmake -S . -B "$BUILD" -G Ninja -DCMAKE_CXX_COMPILER=$CLANG \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPUCKDEX_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null \
        || exit 1
fi
cmake --build "$BUILD" --target puckdex_fuzzers || exit 1

# The targets write their scratch files to TMPDIR: memory when there is some.
scratch_root=/dev/shm
[ -d "$scratch_root" ] && [ -w "$scratch_root" ] || scratch_root="$BUILD"
scratch=$(mktemp -d "$scratch_root/puckdex-fuzz.XXXXXX") || exit 1
trap 'rm -rf "$scratch"' EXIT INT TERM

export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
# Shorter allocation stacks and a smaller quarantine than the defaults keep the
# file targets fast; run a crash file again with ASAN_OPTIONS= for full stacks.
export ASAN_OPTIONS="${ASAN_OPTIONS:-malloc_context_size=8:quarantine_size_mb=32}"
symbolizer=/usr/lib/llvm-14/bin/llvm-symbolizer
[ -x "$symbolizer" ] && export ASAN_SYMBOLIZER_PATH="$symbolizer"

run_id=$(date +%Y%m%d-%H%M%S)
total_findings=0
summary=""
for target in $FUZZ_TARGETS; do
    case $target in
        gamefiles) max_len=16384 ;;
        *) max_len=4096 ;;
    esac
    work="$BUILD/corpus/$target"
    findings="$BUILD/findings/$run_id/$target"
    log="$BUILD/logs/$target-$run_id.log"
    mkdir -p "$work" "$findings" "$(dirname "$log")"
    dict=""
    [ -f "fuzz/$target.dict" ] && dict="-dict=fuzz/$target.dict"

    echo "fuzz: $target for $FUZZ_SECONDS s (log: $log)"
    TMPDIR="$scratch" "$BUILD/bin/fuzz_$target" -max_total_time="$FUZZ_SECONDS" \
        -print_final_stats=1 -max_len=$max_len -timeout=30 $dict \
        -artifact_prefix="$findings/" "$@" "$work" "fuzz/corpus/$target" >"$log" 2>&1

    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    found=$(find "$findings" -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' \
        -o -name 'oom-*' \) | sort)
    count=$(printf '%s' "$found" | grep -c . )
    if [ -z "$runs" ] && [ "$count" -eq 0 ]; then
        echo "fuzz: $target did not run; the end of $log:" >&2
        tail -n 20 "$log" >&2
        count=1
    fi
    line=$(printf '%-12s %12s executions  %d finding(s)' "$target" "${runs:-?}" "$count")
    summary="$summary$line\n"
    if [ "$count" -gt 0 ]; then
        grep -E 'fuzz check failed|ERROR: |runtime error|SUMMARY' "$log" | head -n 5 | sed 's/^/    /'
        for f in $found; do
            summary="$summary    $f\n"
        done
    fi
    total_findings=$((total_findings + count))
    rmdir "$findings" 2>/dev/null
done
rmdir "$BUILD/findings/$run_id" 2>/dev/null

echo
printf '%b' "$summary"
if [ "$total_findings" -gt 0 ]; then
    echo "fuzz: $total_findings finding(s); reproduce one with $BUILD/bin/fuzz_<target> <crash file>" >&2
    exit 1
fi
