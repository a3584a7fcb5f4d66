#!/usr/bin/env bash
# make bench: builds the benchmarks into build-bench/ and runs every measure
# beside its floor in the same run, then writes docs/performance.md.
#
#   BENCH_BUILD        build folder (build-bench)
#   BENCH_REPORT       the report to write (docs/performance.md)
#   BENCH_REPETITIONS  repetitions of each in-process benchmark (9)
#   BENCH_RUNS         runs of each start-up and export command (30)
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD=${BENCH_BUILD:-build-bench}
REPORT=${BENCH_REPORT:-docs/performance.md}
REPETITIONS=${BENCH_REPETITIONS:-9}
RUNS=${BENCH_RUNS:-30}
started=$(date +%s)

# What the benchmarks need beyond the build's own packages.
sh tools/install-deps.sh libbenchmark-dev hyperfine time python3 valgrind

GENERATOR=Ninja
command -v ninja >/dev/null 2>&1 || GENERATOR="Unix Makefiles"
cmake -S . -B "$BUILD" -G "$GENERATOR" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF \
    -DPUCKDEX_BENCHMARKS=ON >/dev/null
# puckdex-cli writes the sample roster and is the export measure.
targets="puckdex puckdex-cli bench_gamefiles bench_import bench_windows puckdex-bare-window puckdex-ui-windows"
cmake --build "$BUILD" --parallel "${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}" --target $targets
bin="$BUILD/bin"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Nothing of the user's: settings, home and temporary files in $work.
mkdir -p "$work/home/runtime" "$work/tmp"
chmod 700 "$work/home/runtime"
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/config" XDG_DATA_HOME="$work/home/data" \
    XDG_CACHE_HOME="$work/home/cache" XDG_RUNTIME_DIR="$work/home/runtime" TMPDIR="$work/tmp" \
    QT_QPA_PLATFORM=offscreen

{
    echo "model=$(lscpu | sed -n 's/^Model name: *//p' | head -1)"
    echo "cpus=$(nproc)"
    echo "memory=$(free -g | awk '/^Mem:/ {print $2}') GiB"
    echo "disk=$(df -h "$work" | awk 'NR == 2 {print $1 " (" $2 ")"}')"
    echo "kernel=$(uname -r)"
    echo "qt=$(dpkg-query -W -f='${Version}' qt6-base-dev 2>/dev/null || echo unknown)"
    echo "compiler=$(c++ --version | head -1)"
    echo "load=$(cut -d' ' -f1-3 /proc/loadavg)"
    echo "repetitions=$REPETITIONS"
    echo "runs=$RUNS"
} >"$work/machine.txt"

gbench=(--benchmark_repetitions="$REPETITIONS" --benchmark_enable_random_interleaving=true
        --benchmark_min_time=0.2 --benchmark_out_format=json)
run_gbench() { # name; what it prints goes to the screen only when it fails
    if ! "$bin/bench_$1" "${gbench[@]}" --benchmark_out="$work/$1.json" >"$work/$1.log" 2>&1; then
        cat "$work/$1.log" >&2
        exit 1
    fi
}
echo "bench: the file layer (scans, leaving a player)"
run_gbench gamefiles
echo "bench: the main window (choosing a team, leaving a player)"
run_gbench windows
echo "bench: an import of a whole league"
run_gbench import

# Start-up, as a user starts the program on the sample roster; each window
# against an empty window of its size (from its .ui definition).
sample="$work/sample"
"$bin/puckdex-cli" sample "$sample" >/dev/null
export PUCKDEX_INI="$work/PUCKDEX.INI"
printf '[Puckdex]\r\nNHL96Path=%s\r\n' "$sample" >"$PUCKDEX_INI"
ui_size() { # the window's size from the first geometry of its definition
    sed -n '/<rect>/{s/.*<width>\([0-9]*\)<\/width><height>\([0-9]*\)<\/height>.*/\1 \2/p;q}' \
        "src/gui/$1"
}
folder_size=$(ui_size dialogs/gamefolderwindow.ui)
main_size=$(ui_size editor/mainwindow.ui)
for mode in folder main; do
    if ! PUCKDEX_QUIT_AFTER_PAINT=$mode timeout 60 "$bin/puckdex" >/dev/null 2>&1; then
        echo "bench: puckdex did not end by itself after painting its $mode window" >&2
        exit 1
    fi
done
startup() { # mode, bare window size, output name
    PUCKDEX_QUIT_AFTER_PAINT=$1 hyperfine -N --style basic --warmup 3 --runs "$RUNS" \
        --export-json "$work/$3.json" \
        -n puckdex "$bin/puckdex" -n bare "$bin/puckdex-bare-window $2" \
        -n bare_text "$bin/puckdex-bare-window $2 Puckdex" >/dev/null
}
echo "bench: start-up to the game-folder window ($folder_size)"
startup folder "$folder_size" startup-folder
echo "bench: start-up to the main window ($main_size)"
startup main "$main_size" startup-main

# The CPU time of start-up to the main window against the same two windows
# with no logic (puckdex-ui-windows: their .ui definitions, the program's
# look, shown in the same order, ended once the main window is painted), run
# in turn so that the machine's load falls on both alike; and the
# instructions of one run of each, which repeat exactly from run to run.
echo "bench: start-up CPU time against the same windows without logic"
if ! timeout 60 "$bin/puckdex-ui-windows" >/dev/null 2>&1; then
    echo "bench: puckdex-ui-windows did not end by itself after painting its windows" >&2
    exit 1
fi
PUCKDEX_QUIT_AFTER_PAINT=main python3 bench/cputime.py --runs $((RUNS * 2)) \
    --out "$work/startup-cpu.json" "puckdex=$bin/puckdex" "floor=$bin/puckdex-ui-windows"
for program in puckdex puckdex-ui-windows; do
    PUCKDEX_QUIT_AFTER_PAINT=main valgrind --tool=callgrind --callgrind-out-file=/dev/null \
        "$bin/$program" 2>&1 >/dev/null | sed -n "s/.*Collected : \([0-9]*\).*/$program=\1/p"
done >"$work/instructions.txt"

# Peak memory: the largest resident set of each run, in KiB.
peak() { # name, mode, command...
    local name=$1 mode=$2
    shift 2
    for _ in $(seq 10); do
        PUCKDEX_QUIT_AFTER_PAINT=$mode /usr/bin/time -f "$name %M" -a -o "$work/memory.txt" "$@" \
            >/dev/null 2>&1
    done
}
peak folder folder "$bin/puckdex"
peak folder_bare folder "$bin/puckdex-bare-window" $folder_size
peak folder_bare_text folder "$bin/puckdex-bare-window" $folder_size Puckdex
peak main main "$bin/puckdex"
peak main_bare main "$bin/puckdex-bare-window" $main_size
peak main_bare_text main "$bin/puckdex-bare-window" $main_size Puckdex

# Exporting the whole roster against reading its three files.
status=0
"$bin/puckdex-cli" export "$sample" >/dev/null 2>"$work/export.err" || status=$?
if [ "$status" -eq 0 ]; then
    echo "bench: puckdex-cli export"
    hyperfine -N --style basic --warmup 3 --runs "$RUNS" --export-json "$work/export.json" \
        -n export "$bin/puckdex-cli export $sample" \
        -n read "cat $sample/teams.db $sample/key.db $sample/att.db" >/dev/null
else
    echo "bench: puckdex-cli export $sample ended with $status: $(head -1 "$work/export.err")" >&2
    echo "exit status $status: $(head -1 "$work/export.err")" >"$work/export-failed.txt"
fi

echo "$(($(date +%s) - started))" >"$work/seconds.txt"
python3 bench/report.py "$work" "$REPORT"
echo "bench: wrote $REPORT"
