#!/usr/bin/env bash
# Debug mode: "info(gorv): DEBUG MODE", one 12 x 10 frame of cell lines,
# "info(gorv): Exiting...", exit status 0, nothing on standard output, the same every run.
set -u
gorv=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; head -5 "$work/err1"; exit 1; }

for run in 1 2; do
    "$gorv" --debug </dev/null >"$work/out$run" 2>"$work/err$run"
    status=$?
    [ "$status" -eq 0 ] || fail "run $run: exit status $status"
    [ ! -s "$work/out$run" ] || fail "run $run: standard output is not empty"
done
cmp -s "$work/err1" "$work/err2" || fail "two debug runs differ"
[ "$(head -n 1 "$work/err1")" = "info(gorv): DEBUG MODE" ] || fail "first line"
[ "$(tail -n 1 "$work/err1")" = "info(gorv): Exiting..." ] || fail "last line"
cells=$(grep -c -E '^info\(gorv\): .+: [0-9]+x[0-9]+ [0-9]+/[0-9]+$' "$work/err1")
[ "$cells" -eq 120 ] || fail "$cells cell lines instead of 120"
[ "$(wc -l <"$work/err1")" -eq 122 ] || fail "unexpected extra lines"
# Every cell of the screen, column by column and top to bottom.
expected=$(for x in $(seq 0 11); do for y in $(seq 0 9); do echo "${x}x$y"; done; done)
actual=$(sed -n '2,121p' "$work/err1" | sed -E 's/^info\(gorv\): .+: ([0-9]+x[0-9]+) .*/\1/')
[ "$expected" = "$actual" ] || fail "cells out of order"
echo "debug run: ok"
