#!/usr/bin/env bash
# Starts sorvik.exe itself under Wine, as a double-click would, beside a program folder a user
# left ready for an automatic run: a list of one pair with Japanese names and a settings file
# naming it, both in code page 932 with CR LF, and the marker "Auto.go". The countdown must run
# the pair, leave the marker for the next start and end the program on its own.
#
#   automatic_run_exe_test.sh SORVIK_EXE
#
# Run by scripts/test-windows.sh, which provides the Wine prefix, code page 932 and a display.
set -euo pipefail

exe=$1
if [[ -z ${DISPLAY:-} ]]; then
    echo "SKIP: no X display for Wine's windows (scripts/test-windows.sh starts one)"
    exit 0
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
program=$work/ソーヴィク
mkdir "$program"
cp "$exe" "$program/sorvik.exe"

source=$work/写真
backup=$work/バックアップ先
mkdir -p "$source/旅行 2026"
printf '富士山' >"$source/旅行 2026/表ソ.txt"
printf 'x' >"$source/readme"

windows_path() { printf 'Z:%s' "${1//\//\\}"; }
# Text files of the program: code page 932, CR LF.
program_text() { sed 's/$/\r/' | iconv -f UTF-8 -t CP932; }
list=$program/毎日.lst
printf '%s\n%s\n' "$(windows_path "$source")" "$(windows_path "$backup")" | program_text >"$list"
# List, placeholder mode, then the options: on top, excluded extensions, larger, newer, automatic.
printf '%s\nFalse\n 1 \n 1 \n 0 \n 1 \n 1 \n' "$(windows_path "$list")" |
    program_text >"$program/sorvik01.ini"
: >"$program/Auto.go"

started=$(date +%s)
status=0
timeout 120 wine "$program/sorvik.exe" || status=$?
echo "sorvik.exe ended with $status after $(($(date +%s) - started)) s"
fail() {
    echo "FAIL: $*"
    exit 1
}
[[ $status -eq 0 ]] || fail "sorvik.exe did not end by itself with status 0"
[[ $(cat "$backup/旅行 2026/表ソ.txt" 2>&1) == 富士山 ]] || fail "the Japanese file was not backed up"
[[ $(cat "$backup/readme" 2>&1) == x ]] || fail "readme was not backed up"
[[ -f $program/Auto.go ]] || fail "the marker for the next start is gone"
[[ ! -s $program/ErrorLog.txt ]] || fail "errors: $(iconv -f CP932 -t UTF-8 "$program/ErrorLog.txt")"
echo "PASS"
