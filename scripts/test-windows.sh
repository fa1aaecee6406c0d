#!/usr/bin/env bash
# Runs the core test suites of a Windows cross-build (scripts/build-windows.sh) under Wine:
# sorvik_tests.exe, which starts sorvik-cli.exe itself. The Wine prefix and a Japanese locale
# live in a cache folder outside the checkout and are reused from run to run.
#
#   scripts/test-windows.sh [BUILD_FOLDER] [CTEST_ARGUMENTS...]
#
# The processes run with ANSI code page 932, as on a Japanese Windows, so a name passed through
# the code page instead of UTF-16 shows. Wine does not enforce Windows access control lists, so
# no test here can show "access denied"; those tests skip and say so.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build-windows}
shift || true
if [[ ! -f $build/CTestTestfile.cmake ]]; then
    echo "test-windows.sh: no test build in $build (scripts/build-windows.sh $build makes one)" >&2
    exit 2
fi
for tool in wine wineserver localedef; do
    command -v "$tool" >/dev/null || { echo "test-windows.sh: $tool is not installed" >&2; exit 2; }
done

cache=${XDG_CACHE_HOME:-$HOME/.cache}/sorvik
# Root passes every permission check, under Wine too. So root runs the suite as an unprivileged
# user, to whom the build folder is as unwritable as Program Files is to a Windows user: the
# tests that depend on permissions then see what a user sees. That user gets a cache and a Wine
# prefix of its own (Wine refuses a prefix someone else owns).
as_user=()
if [[ $(id -u) -eq 0 ]]; then
    user=nobody
    group=$(id -gn "$user")
    if setpriv --reuid="$user" --regid="$group" --clear-groups \
        test -r "$build/tests/sorvik_tests.exe" -a -x "$build/cli"; then
        cache=/var/tmp/sorvik-cache-$user
        mkdir -p "$cache" "$build/Testing"
        chown "$user:$group" "$cache"
        # ctest writes its log there and, before the first test, the list of the suite's tests.
        chown -R "$user:$group" "$build/Testing" "$build/tests"
        as_user=(setpriv --reuid="$user" --regid="$group" --clear-groups env HOME="$cache")
        echo "test-windows.sh: running the suite as $user"
    else
        echo "test-windows.sh: $user cannot read $build, so the suite runs as root and the" \
            "tests that depend on permissions skip" >&2
    fi
fi
export WINEPREFIX=${WINEPREFIX:-$cache/wine-prefix}
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Wine takes a process's ANSI code page from the locale; a Japanese UTF-8 locale gives 932.
# localedef warns about (and exits 1 for) characters it leaves out, yet writes the locale.
export LOCPATH=$cache/locale
if [[ ! -f $LOCPATH/ja_JP.UTF-8/LC_CTYPE ]]; then
    mkdir -p "$LOCPATH"
    localedef -i ja_JP -f UTF-8 "$LOCPATH/ja_JP.UTF-8" || [[ -f $LOCPATH/ja_JP.UTF-8/LC_CTYPE ]]
    chmod -R a+rX "$LOCPATH"
fi
export LC_ALL=ja_JP.UTF-8
# The suite checks that it got the code page it was started for.
export SORVIK_TEST_CODE_PAGE=932
"${as_user[@]}" mkdir -p "$WINEPREFIX"

# ctest can stall while Wine starts its server on demand for the first test: start it (and
# create or update the prefix) first, and stop it however the run ends.
display_server=
stop_servers() {
    "${as_user[@]}" wineserver -k 2>/dev/null || true
    [[ -z $display_server ]] || kill "$display_server" 2>/dev/null || true
}
trap stop_servers EXIT
# Fails when one already serves the prefix: that one is used. Its output is not kept, since the
# server outlives this line and would hold a pipe that reads this script's output open.
"${as_user[@]}" wineserver -p >/dev/null 2>&1 || true
"${as_user[@]}" wine cmd /c exit

# The window's tests show real windows through Wine, on a display of their own unless one is
# given. Xvfb writes the number it chose to the file once it takes connections.
if [[ -z ${DISPLAY:-} ]] && command -v Xvfb >/dev/null; then
    display_file=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
    display_server=$!
    for _ in $(seq 100); do
        [[ -s $display_file ]] && break
        sleep 0.1
    done
    export DISPLAY=:$(cat "$display_file")
    rm -f "$display_file"
fi
# Windows has Japanese fonts and Wine has none: Debian's IPA Gothic stands in for them, under
# the name of Windows' own Japanese UI font as well.
fonts=$WINEPREFIX/drive_c/windows/Fonts
if [[ ! -e $fonts/ipagp.ttf ]]; then
    for font in /usr/share/fonts/opentype/ipafont-gothic/ipag{,p}.ttf; do
        "${as_user[@]}" ln -sf "$font" "$fonts/"
    done
    "${as_user[@]}" wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS UI Gothic' \
        /d IPAPGothic /f >/dev/null
fi

# Two jobs halve the time on two cores (about 10 s against 19 s); each test is a process of
# its own, and the started server serves them all.
started=$(date +%s)
status=0
# Now and then Wine fails to start a process at all (no output, 0.01 s), one run in a few with
# two jobs; a failed test is started once more, and a real failure fails both times.
"${as_user[@]}" ctest --test-dir "$build" --output-on-failure -j "${SORVIK_TEST_JOBS:-2}" \
    --repeat until-pass:2 "$@" || status=$?
echo "test-windows.sh: the suite took $(($(date +%s) - started)) s under Wine"
exit "$status"
