#!/usr/bin/env bash
# Makes the Windows download, Sorvik-<version>-windows-x64.zip, from a fresh clone: installs what
# is missing, builds (or takes from the cache) the static Qt for Windows, cross-builds Sorvik and
# packs sorvik.exe, sorvik-cli.exe, the licence and the read-me files. Nothing in it needs an
# installer or administrator rights.
#
#   scripts/package-windows.sh [BUILD_FOLDER]     (default build-windows; the zip lands there)
set -euo pipefail
cd "$(dirname "$0")/.."

folder=${1:-build-windows}
bash scripts/install-dependencies.sh
bash scripts/build-windows.sh "$folder"

version=$(sed -n 's/^project(Sorvik VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
name=Sorvik-$version-windows-x64
stage=$folder/package/$name
rm -rf "$stage" "$folder/$name.zip"
mkdir -p "$stage"
# The build keeps its debugging information; the download does not need it.
x86_64-w64-mingw32-strip -o "$stage/sorvik.exe" "$folder/app/sorvik.exe"
x86_64-w64-mingw32-strip -o "$stage/sorvik-cli.exe" "$folder/cli/sorvik-cli.exe"
# Notepad's line ends, and the Japanese read-me in the code page of the program's own files.
windows_text() { sed -e "s/@VERSION@/$version/" -e 's/$/\r/' "$1"; }
windows_text LICENSE >"$stage/LICENSE.txt"
windows_text packaging/windows/readme-en.txt >"$stage/README-en.txt"
windows_text packaging/windows/readme-ja.txt | iconv -f UTF-8 -t CP932 >"$stage/README-ja.txt"
# Files at the top of the zip: Windows' "Extract all" makes the folder. -X leaves out Unix
# ownership; a fixed time makes two packings of one build the same bytes.
touch -d "@$(git log -1 --format=%ct 2>/dev/null || date +%s)" "$stage"/*
(cd "$stage" && zip -q -X -9 "../../$name.zip" sorvik.exe sorvik-cli.exe LICENSE.txt \
    README-en.txt README-ja.txt)
echo "$folder/$name.zip: $(du -h "$folder/$name.zip" | cut -f1)" \
    "(sorvik.exe $(du -h "$stage/sorvik.exe" | cut -f1), sorvik-cli.exe $(du -h "$stage/sorvik-cli.exe" | cut -f1))"
