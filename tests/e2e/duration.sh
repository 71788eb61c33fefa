#!/usr/bin/env bash
# A duration of 2 s ends the run by itself between 2 and 3.5 s, without an opening.
source "$(dirname "$0")/e2e_lib.sh" "$1"

run_in_pane 80 24 -t 2
tmux_wait_exit 10 || fail "gorv did not end by itself"
ms=$(cat "$TMUX_DIR/ms")
((ms >= 2000 && ms <= 3500)) || fail "the run took $ms ms"
[[ $(tmux_status) == 0 ]] || fail "exit status $(tmux_status)"
expect_restored
echo "duration: ok ($ms ms)"
