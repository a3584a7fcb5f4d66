#!/bin/sh
# Builds the program and every test with AddressSanitizer and
# UndefinedBehaviorSanitizer in build-asan (Debug, so Q_ASSERT is on too) and
# runs the whole test suite, window tests included. It fails on any report:
# UndefinedBehaviorSanitizer ends the process at its first one (which fails
# the test), and the address and leak reports of every process, programs a
# test starts included, go to build-asan/sanitizer-reports, which must stay
# empty.
#
#   ASAN_BUILD   build folder (default build-asan)

set -u
cd "$(dirname "$0")/../.."
BUILD=${ASAN_BUILD:-build-asan}
GENERATOR="Unix Makefiles"
command -v ninja >/dev/null 2>&1 && GENERATOR=Ninja

sh tools/install-deps.sh || exit 1
if [ ! -f "$BUILD/build.ninja" ] && [ ! -f "$BUILD/Makefile" ]; then
    cmake -S . -B "$BUILD" -G "$GENERATOR" -DCMAKE_BUILD_TYPE=Debug -DPUCKDEX_SANITIZE=ON \
        >/dev/null || exit 1
fi
cmake --build "$BUILD" --parallel "${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}" || exit 1

reports="$(pwd)/$BUILD/sanitizer-reports"
rm -rf "$reports"
mkdir -p "$reports"
chmod 1777 "$reports" # a test runs one program as the user nobody
# LeakSanitizer is on: Qt and the font stack under the window tests leave
# nothing it reports, so there are no suppressions.
export ASAN_OPTIONS="detect_leaks=1:check_initialization_order=1:strict_init_order=1:log_path=$reports/asan"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"

(cd "$BUILD" && ctest --output-on-failure --parallel 2)
status=$?
if [ -n "$(ls -A "$reports")" ]; then
    for report in "$reports"/*; do
        echo "== $report"
        cat "$report"
    done
    echo "test-asan: the sanitizers reported the errors above" >&2
    exit 1
fi
[ $status -eq 0 ] || exit $status
echo "test-asan: no sanitizer reports"
