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
export WINEPREFIX=${WINEPREFIX:-$cache/wine-prefix}
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Wine takes a process's ANSI code page from the locale; a Japanese UTF-8 locale gives 932.
# localedef warns about (and exits 1 for) characters it leaves out, yet writes the locale.
export LOCPATH=$cache/locale
if [[ ! -f $LOCPATH/ja_JP.UTF-8/LC_CTYPE ]]; then
    mkdir -p "$LOCPATH"
    localedef -i ja_JP -f UTF-8 "$LOCPATH/ja_JP.UTF-8" || [[ -f $LOCPATH/ja_JP.UTF-8/LC_CTYPE ]]
fi
export LC_ALL=ja_JP.UTF-8
# The suite checks that it got the code page it was started for.
export SORVIK_TEST_CODE_PAGE=932
mkdir -p "$WINEPREFIX"

# ctest can stall while Wine starts its server on demand for the first test: start it (and
# create or update the prefix) first, and stop it however the run ends.
trap 'wineserver -k 2>/dev/null || true' EXIT
wineserver -p 2>/dev/null || true  # fails when one already serves the prefix: it is used
wine cmd /c exit

# Two jobs halve the time on two cores (about 10 s against 19 s); each test is a process of
# its own, and the started server serves them all.
started=$(date +%s)
status=0
ctest --test-dir "$build" --output-on-failure -j "${SORVIK_TEST_JOBS:-2}" "$@" || status=$?
echo "test-windows.sh: the suite took $(($(date +%s) - started)) s under Wine"
exit "$status"
