#!/usr/bin/env bash
# On terminals without an alternate screen (the Linux console, a VT100) the last frame does
# not stay under the prompt: the screen is cleared when the run ends, also on one whose
# description has no clear (ansi+cup: every cell is written blank).
source "$(dirname "$0")/e2e_lib.sh" "$1"

for E2E_TERM in linux vt100 ansi+cup; do
    run_in_pane 80 24 --bare
    tmux_wait_for '^[01]{80}$' 10 || fail "$E2E_TERM: no frame"
    tmux_send q
    tmux_wait_exit 10 || fail "$E2E_TERM: gorv did not end"
    [[ $(tmux_status) == 0 ]] || fail "$E2E_TERM: exit status $(tmux_status)"
    ! tmux_capture | grep -q '[0-9]' || fail "$E2E_TERM: digits of the last frame left on screen"
    cmp -s "$TMUX_DIR/before" "$TMUX_DIR/after" || fail "$E2E_TERM: terminal modes differ after the run"
    tmux_cleanup
done
echo "no alternate screen: ok"
