#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks that a Linux desktop would find the program,
# its menu entry and its icon there.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null

status=0
for file in bin/sorvik bin/sorvik-cli share/applications/sorvik.desktop \
    share/icons/hicolor/scalable/apps/sorvik.svg share/icons/hicolor/48x48/apps/sorvik.png \
    share/icons/hicolor/256x256/apps/sorvik.png; do
    if [ ! -s "$prefix/$file" ]; then
        echo "missing after install: $file" >&2
        status=1
    fi
done
for program in bin/sorvik bin/sorvik-cli; do
    [ -x "$prefix/$program" ] || { echo "not executable: $program" >&2; status=1; }
done

entry=$prefix/share/applications/sorvik.desktop
# The entry starts the installed program and names the installed icon.
grep -qx 'Exec=sorvik' "$entry" || { echo "Exec is not sorvik" >&2; status=1; }
grep -qx 'Icon=sorvik' "$entry" || { echo "Icon is not sorvik" >&2; status=1; }
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$entry" || status=1
fi
"$prefix/bin/sorvik-cli" --help >/dev/null || { echo "installed sorvik-cli does not start" >&2; status=1; }
exit $status
