#!/bin/sh
# make windows: cross-compiles puckdex.exe, puckdex-cli.exe and every test
# suite for Windows x86_64 into build-windows/bin, with Debian's mingw-w64
# against the Qt for Windows that find-qt.sh finds (or builds, once), and
# puts the DLLs they need beside them. Quick when nothing changed.
#
#   sh tools/windows/build.sh
set -eu
cd "$(dirname "$0")/../.."
BUILD=${WINDOWS_BUILD:-build-windows}

# The host build's tools (moc, uic, rcc of the same Qt), CMake and Ninja, and
# the cross compiler with its runtime.
sh tools/install-deps.sh g++-mingw-w64-x86-64-posix mingw-w64-tools
qt=$(sh tools/windows/find-qt.sh)

if [ ! -f "$BUILD/build.ninja" ] || [ "$(sed -n 's/^PUCKDEX_QT_WINDOWS:PATH=//p' "$BUILD/CMakeCache.txt")" != "$qt" ]; then
    cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$(pwd)/cmake/windows-toolchain.cmake" \
        -DPUCKDEX_QT_WINDOWS="$qt" >/dev/null
fi
cmake --build "$BUILD" --parallel "${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}"
