#!/usr/bin/env bash
# A screen below 4 x 2 is refused with its real size and exit status 0; 4 x 2 runs.
source "$(dirname "$0")/e2e_lib.sh" "$1"

for size in "3 1" "4 1" "3 2"; do
    read -r width height <<<"$size"
    run_in_pane "$width" "$height"
    tmux_wait_exit 10 || fail "$width x $height: gorv did not end"
    [[ $(tmux_status) == 0 ]] || fail "$width x $height: exit status $(tmux_status)"
    expected="warning(gorv): Insufficient terminal dimensions: W $width, H $height"
    [[ $(cat "$TMUX_DIR/err") == "$expected" ]] || fail "$width x $height: stderr is not the warning"
    cmp -s "$TMUX_DIR/before" "$TMUX_DIR/after" || fail "$width x $height: terminal modes differ"
    tmux_cleanup
done

run_in_pane 4 2 --bare
tmux_wait_for '^[01]{4}$' 10 || fail "4 x 2 shows no frame"
tmux_send q
tmux_wait_exit 10 || fail "4 x 2: gorv did not end"
[[ $(tmux_status) == 0 ]] || fail "4 x 2: exit status $(tmux_status)"
[[ ! -s $TMUX_DIR/err ]] || fail "4 x 2: unexpected standard error"
echo "refusal: ok"
