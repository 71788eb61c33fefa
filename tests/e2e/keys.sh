#!/usr/bin/env bash
# Any key ends a run within one frame and its delay; the terminal is as before.
source "$(dirname "$0")/e2e_lib.sh" "$1"

for key in q Escape Enter; do
    run_in_pane 80 24 --bare
    tmux_wait_for '^[01]{80}$' 10 || fail "$key: no frame"
    sent=$(tmux_now_ms)
    tmux_send "$key"
    tmux_wait_exit 10 || fail "$key: gorv did not end"
    took=$(($(tmux_now_ms) - sent))
    [[ $(tmux_status) == 0 ]] || fail "$key: exit status $(tmux_status)"
    # One frame's delay (79 ms) and drawing, the input wake-up, and this loop's 50 ms polls.
    ((took < 800)) || fail "$key: the run ended $took ms after the key"
    expect_restored
    [[ ! -s $TMUX_DIR/err ]] || fail "$key: unexpected standard error"
    tmux_cleanup
done
echo "keys: ok"
