#!/usr/bin/env bash
# A byte that is not UTF-8 is a key of its own: each of 0xE9 (Latin-1 e acute), 0x80 and
# 0xFF ends a run at once.
source "$(dirname "$0")/e2e_lib.sh" "$1"

for byte in e9 80 ff; do
    run_in_pane 80 24 --bare
    tmux_wait_for '^[01]{80}$' 10 || fail "0x$byte: no frame"
    tmux_cmd send-keys -t "$TMUX_TARGET" -H "$byte"
    tmux_wait_exit 2 || fail "0x$byte did not end the run"
    [[ $(tmux_status) == 0 ]] || fail "0x$byte: exit status $(tmux_status)"
    expect_restored
    tmux_cleanup
done
echo "stray bytes: ok"
