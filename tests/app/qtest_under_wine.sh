#!/usr/bin/env bash
# Runs a QtTest program under Wine and shows its report. A Windows program without a console
# sends QtTest's report to the debugger, so it goes to a file, shown when the program ends.
#
#   qtest_under_wine.sh TEST_PROGRAM [QTEST_ARGUMENTS...]
set -u
report=$(mktemp)
trap 'rm -f "$report"' EXIT
status=0
wine "$1" -o "Z:${report//\//\\},txt" "${@:2}" || status=$?
cat "$report"
exit "$status"
