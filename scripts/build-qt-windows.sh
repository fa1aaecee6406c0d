#!/usr/bin/env bash
# Builds the static Qt that sorvik.exe links, for 64-bit Windows, from Debian's own qt6-base
# source (Debian ships no Qt for Windows), and prints its install folder as the last line.
#
# The build takes about ten minutes on two cores, so it is done once into a cache folder
# outside the checkout, named after the Qt version and a digest of this configuration, and
# reused afterwards. The host tools (moc, rcc, uic) are Debian's Qt of the same version.
set -euo pipefail
cd "$(dirname "$0")/.."

version=$(dpkg-query -W -f='${Version}' qt6-base-dev)
upstream=${version%%+*}
toolchain=$PWD/cmake/mingw-w64-x86_64.cmake

# Only what the window and its tests use: Core, Gui, Widgets, Test, the Windows platform and
# style plugins. Everything Qt would take from the system is built from its bundled copy, so
# the executable needs nothing beside it.
options=(
    -G Ninja -DCMAKE_BUILD_TYPE=Release
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
    -DQT_QMAKE_TARGET_MKSPEC=win32-g++ -DBUILD_SHARED_LIBS=OFF -DFEATURE_static_runtime=ON
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
    -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_xml=OFF
    -DFEATURE_concurrent=OFF -DFEATURE_printsupport=OFF -DFEATURE_opengl=OFF
    -DFEATURE_vulkan=OFF -DFEATURE_direct2d=OFF -DFEATURE_jpeg=OFF -DFEATURE_zstd=OFF
    -DFEATURE_icu=OFF -DFEATURE_testlib=ON
    -DFEATURE_system_freetype=OFF -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF
    -DFEATURE_system_png=OFF -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_doubleconversion=OFF
    # Debian's source leaves out the Wintab header that graphics tablets need; a pen still works
    # as a mouse.
    -DFEATURE_tabletevent=OFF
    # Qt 6.4's Windows platform reaches for OpenGL and the DirectWrite font database even when
    # OpenGL and Direct2D, which build them, are off. GDI draws the text, as by default.
    -DFEATURE_dynamicgl=OFF -DFEATURE_directwrite3=OFF
)
# The compiler's version is part of the key; the toolchain file's text is not, so a comment or a
# setting only Sorvik's build reads does not cost a rebuild.
compiler=$(x86_64-w64-mingw32-g++-posix --version | head -n 1)
key=$(printf '%s\n' "$version" "$compiler" "${options[@]}" | sha256sum | cut -c1-12)
cache=${XDG_CACHE_HOME:-$HOME/.cache}/sorvik
prefix=$cache/qt-$upstream-windows-x64-$key
if [[ -f $prefix/lib/cmake/Qt6/Qt6Config.cmake ]]; then
    echo "build-qt-windows.sh: using the Qt in $prefix" >&2
    echo "$prefix"
    exit 0
fi

for tool in ninja cmake apt-get patch; do
    command -v "$tool" >/dev/null || { echo "build-qt-windows.sh: $tool is missing" >&2; exit 2; }
done

work=$cache/qt-$upstream-work-$key
rm -rf "$work" "$prefix.partial"
mkdir -p "$work"/{apt-lists/partial,apt-parts,apt-cache/archives/partial}
cd "$work"
# A private sources list, so the machine's own apt configuration is left alone. It has the
# updates and security suites too: the installed qt6-base may come from either.
for suite in "debian bookworm" "debian bookworm-updates" "debian-security bookworm-security"; do
    echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg]" \
        "http://deb.debian.org/${suite% *} ${suite#* } main"
done >sources.list
apt_options=(-o Dir::Etc::SourceList="$work/sources.list" -o Dir::Etc::SourceParts="$work/apt-parts"
    -o Dir::State::Lists="$work/apt-lists" -o Dir::Cache="$work/apt-cache"
    -o APT::Sandbox::User="$(id -un)")
echo "build-qt-windows.sh: fetching Debian's qt6-base $version source" >&2
apt-get "${apt_options[@]}" update -qq >&2
apt-get "${apt_options[@]}" source --download-only -qq "qt6-base=$version" >&2
tar xf qt6-base_"${version%-*}".orig.tar.xz
tar xf qt6-base_"$version".debian.tar.*
source=$work/qtbase-everywhere-src-$upstream
# Debian's fixes of security faults apply on every system; its packaging patches do not.
for fix in $(grep -E '^cve-' debian/patches/series || true); do
    patch -d "$source" -p1 --quiet <"debian/patches/$fix"
done

started=$(date +%s)
echo "build-qt-windows.sh: building Qt $upstream for Windows (about 10 min on two cores);" \
    "log in $work/build.log" >&2
if ! { cmake -S "$source" -B build "${options[@]}" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_INSTALL_PREFIX="$prefix.partial" &&
    cmake --build build --parallel "$(nproc)" && cmake --install build; } >build.log 2>&1; then
    tail -n 40 build.log >&2
    echo "build-qt-windows.sh: the Qt build failed; the whole log is $work/build.log" >&2
    exit 1
fi
# Only a complete install is ever taken from the cache.
mv "$prefix.partial" "$prefix"
cd "$cache"
rm -rf "$work"
echo "build-qt-windows.sh: built in $(($(date +%s) - started)) s;" \
    "$(du -sh "$prefix" | cut -f1) installed in $prefix" >&2
echo "$prefix"
