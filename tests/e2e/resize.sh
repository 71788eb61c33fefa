#!/usr/bin/env bash
# Dozens of resizes between 1 x 1 and 200 x 60 during rain and blocks neither crash nor
# hang the run, and the last screen matches the last size.
source "$(dirname "$0")/e2e_lib.sh" "$1"

sizes=(1x1 200x60 3x1 1x2 57x13 200x1 1x60 80x24 4x2 199x59 2x2 120x40 0x0)
for style in rain blocks; do
    run_in_pane 80 24 --bare -s "$style" --speed fast
    tmux_wait_for '[01]' 10 || fail "$style: no frame"
    for round in 1 2 3; do
        for size in "${sizes[@]}"; do
            tmux_resize "${size%x*}" "${size#*x}" 2>/dev/null
            sleep 0.02
        done
    done
    tmux_resize 100 30
    [[ ! -e $TMUX_DIR/status ]] || fail "$style: gorv ended during the resizes"
    if [[ $style == blocks ]]; then
        shown=0
        for _ in $(seq 100); do
            if check_gaps 100 30 "9 19 29 39 49 59 69 79 89 99" "5 11 17 23 29"; then
                shown=1
                break
            fi
            sleep 0.05
        done
        ((shown)) || fail "blocks: the last screen does not match 100 x 30"
    else
        tmux_wait_for '^.{99}[01]' 10 || fail "rain: no symbol in the last column of 100"
    fi
    tmux_send q
    tmux_wait_exit 10 || fail "$style: gorv did not end after the resizes"
    [[ $(tmux_status) == 0 ]] || fail "$style: exit status $(tmux_status)"
    [[ ! -s $TMUX_DIR/err ]] || fail "$style: unexpected standard error"
    tmux_cleanup
done
echo "resize: ok"
