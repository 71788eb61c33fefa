#!/usr/bin/env bash
# Every cell is drawn at the smallest sizes, the bottom right one included: the grid style
# resized to 1 x 1 shows a new symbol every frame, and the default style at 1 x 3 shows a
# symbol in each of its three cells.
source "$(dirname "$0")/e2e_lib.sh" "$1"

run_in_pane 20 6 --bare -s grid
tmux_wait_for '[01]' 10 || fail "grid: no frame"
tmux_resize 1 1
seen=""
for _ in $(seq 100); do
    cell=$(tmux_capture | head -n1)
    [[ $cell =~ ^[01]$ ]] && [[ $seen != *"$cell"* ]] && seen+=$cell
    ((${#seen} == 2)) && break
    sleep 0.03
done
((${#seen} == 2)) || fail "grid at 1x1: the one cell showed only '${seen}'"
tmux_send q
tmux_wait_exit 10 || fail "grid: gorv did not end"
[[ $(tmux_status) == 0 ]] || fail "grid: exit status $(tmux_status)"
[[ $(tmux_query '#{alternate_on}') == 0 ]] || fail "grid: the alternate screen is still on"
tmux_cleanup

run_in_pane 20 6 --bare
tmux_wait_for '^[01]{20}$' 10 || fail "default: no frame"
tmux_resize 1 3
shown=0
for _ in $(seq 50); do
    if [[ $(tmux_capture | head -n3 | tr -d '\n') =~ ^[01]{3}$ ]]; then
        shown=1
        break
    fi
    sleep 0.03
done
((shown)) || fail "default at 1x3: a cell without a symbol"
tmux_send q
tmux_wait_exit 10 || fail "default: gorv did not end"
[[ $(tmux_status) == 0 ]] || fail "default: exit status $(tmux_status)"
echo "small screens: ok"
