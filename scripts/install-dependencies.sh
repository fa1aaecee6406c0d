#!/usr/bin/env bash
# Installs the Debian packages Sorvik needs to build and test. Does nothing when all are present.
set -euo pipefail

packages=(
    g++ make cmake pkg-config
    libgtest-dev          # the test suite
    qt6-base-dev          # the window (Qt 6 Widgets and QtTest)
    qt6-qpa-plugins       # its X11, Wayland and offscreen platforms
    qt6-translations-l10n # Qt's own buttons in Japanese
    fonts-ipafont-gothic  # Japanese text in the window
    dosfstools exfatprogs ntfs-3g exfat-fuse fusefat  # USB disk images for the backup-disk tests
    samba smbnetfs        # a NAS share served and mounted on 127.0.0.1 for the same tests
    util-linux            # mount, unshare, setpriv for the fault tests
    strace                # kills runs at chosen calls for the crash-consistency test
    clang libclang-rt-14-dev  # libFuzzer and the sanitizers for the fuzz targets
    clang-tidy            # the naming and bugprone checks
    desktop-file-utils    # checks the installed menu entry
    g++-mingw-w64-x86-64-posix  # the Windows cross-build (GoogleTest from libgtest-dev's source)
    ninja-build patch     # the static Qt for Windows, built from Debian's qt6-base source
    wine wine64           # runs the Windows suites
    xvfb                  # an X display for the Windows window under Wine
    zip                   # the Windows download
    locales               # the Japanese locale that gives Wine code page 932
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
echo "Installing: ${missing[*]}"
$sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
