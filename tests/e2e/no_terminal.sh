#!/usr/bin/env bash
# Without a controlling terminal gorv falls back to debug mode: the warning, one
# 12 x 10 frame of log lines, "info(gorv): Exiting...", exit status 0, no standard output.
set -u
gorv=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

setsid "$gorv" </dev/null >"$work/out" 2>"$work/err"
status=$?
fail() { echo "FAIL: $*"; echo "--- stderr:"; head -5 "$work/err"; exit 1; }

[ "$status" -eq 0 ] || fail "exit status $status"
[ ! -s "$work/out" ] || fail "standard output is not empty"
[ "$(head -n 1 "$work/err")" = "warning(gorv): Unable to read terminal size! Debug mode activated." ] ||
    fail "first line is not the fallback warning"
[ "$(tail -n 1 "$work/err")" = "info(gorv): Exiting..." ] || fail "last line is not the exit line"
cells=$(grep -c -E '^info\(gorv\): .+: [0-9]+x[0-9]+ [0-9]+/[0-9]+$' "$work/err")
# The default style fills every cell of the 12 x 10 debug screen.
[ "$cells" -eq 120 ] || fail "$cells cell lines instead of 120"
[ "$(wc -l <"$work/err")" -eq 122 ] || fail "unexpected extra lines"
echo "no terminal: ok"
