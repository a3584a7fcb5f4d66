#!/bin/sh
# Builds Qt 6.4.2 (qtbase: Core, Gui, Widgets, Network, Test, the windows,
# offscreen and minimal platforms, the windowsvista style) for Windows x86_64
# with Debian's mingw-w64, from Debian's own qt6-base source package, the
# same Qt as the Linux build. tools/windows/find-qt.sh calls it when no
# prebuilt copy is found. Needs root (apt-get) and about half an hour of two
# cores; WORKDIR keeps the source and the build and may be removed after.
#
#   sh tools/windows/build-qt.sh PREFIX WORKDIR
set -eu
PREFIX=${1:?usage: build-qt.sh PREFIX WORKDIR}
WORK=${2:?usage: build-qt.sh PREFIX WORKDIR}
here=$(cd "$(dirname "$0")" && pwd)
toolchain=$(cd "$here/../../cmake" && pwd)/mingw-w64.cmake

[ "$(id -u)" -eq 0 ] || { echo "build-qt: needs root to install the cross compiler and fetch Debian's source" >&2; exit 1; }

# Debian's source archive: a deb-src twin of the Debian entry (same URIs,
# suites and key), when there is none yet.
if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
    debian=$(grep -l 'debian-archive-keyring' /etc/apt/sources.list.d/*.sources 2>/dev/null | head -n 1)
    [ -n "$debian" ] || { echo "build-qt: no Debian entry in /etc/apt/sources.list.d to copy for deb-src" >&2; exit 1; }
    sed 's/^Types: deb$/Types: deb-src/' "$debian" > /etc/apt/sources.list.d/debian-src.sources
    apt-get update -qq
fi
sh "$here/../install-deps.sh" g++-mingw-w64-x86-64-posix mingw-w64-tools ninja-build perl python3 dpkg-dev xz-utils

mkdir -p "$WORK" && cd "$WORK"
if [ ! -d qt6-base-src ]; then
    echo "build-qt: fetching Debian's qt6-base source"
    apt-get source --download-only qt6-base >/dev/null
    mkdir qt6-base-src
    tar xJf qt6-base_6.4.2+dfsg.orig.tar.xz -C qt6-base-src --strip-components=1
fi
mkdir -p build && cd build
echo "build-qt: configuring (log: $WORK/configure.log)"
# Debian's source lacks wintab (hence no tablet events), iaccessible2 and
# sqlite. Direct2D stays on: without it qwindows.dll does not link.
../qt6-base-src/configure \
    -prefix "$PREFIX" -release -shared -xplatform win32-g++ -qt-host-path /usr \
    -cmake-generator Ninja -nomake examples -nomake tests \
    -no-feature-sql -no-feature-concurrent -no-feature-xml -no-feature-printsupport \
    -no-dbus -no-opengl -no-feature-vulkan -no-feature-tabletevent \
    -no-icu -no-pkg-config -no-openssl -no-feature-zstd \
    -qt-zlib -qt-pcre -qt-libpng -qt-libjpeg -qt-harfbuzz -qt-freetype -qt-doubleconversion \
    -- -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
       -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake >configure.log 2>&1 \
    || { tail -n 30 configure.log >&2; exit 1; }
# Progress: where ninja is (of about 1,200 steps), every half minute.
echo "build-qt: building (log: $WORK/build.log)"
ninja -j"$(nproc)" >build.log 2>&1 &
ninja_pid=$!
while kill -0 $ninja_pid 2>/dev/null; do
    sleep 30
    step=$(grep -o '^\[[0-9]*/[0-9]*\]' build.log | tail -n 1)
    [ -n "$step" ] && echo "build-qt: step $step"
done
wait $ninja_pid || { tail -n 30 build.log >&2; exit 1; }
ninja install >install.log 2>&1 || { tail -n 30 install.log >&2; exit 1; }
echo "build-qt: Qt for Windows is in $PREFIX"
