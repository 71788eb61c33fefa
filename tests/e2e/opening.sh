#!/usr/bin/env bash
# The opening shows the name in bold in the middle of an 80 x 24 screen with the running
# glyph around it; a key during the opening ends the run only after it.
source "$(dirname "$0")/e2e_lib.sh" "$1"

run_in_pane 80 24
seen_name=0
seen_glyph=0
for _ in $(seq 150); do
    # One capture serves both the text and its attributes: the opening moves on meanwhile.
    styled=$(tmux_capture_styled)
    # The whole name shows for four steps only (160 ms): a capture without it is let go
    # at once, so that the loop looks often enough under load.
    if [[ $styled != *GORV* ]]; then
        sleep 0.01
        continue
    fi
    screen=$(sed 's/\x1b\[[0-9;]*m//g' <<<"$styled" | awk '{ printf "%-80s\n", $0 }')
    row12=$(sed -n 13p <<<"$screen")
    if [[ ${row12:38:4} == GORV ]]; then
        seen_name=1
        # The glyph runs on rows 11 to 13 between x = 36 and x = 43. Columns are counted in
        # characters (cut counts bytes, and a glyph takes three).
        box=$(sed -n '12,14p' <<<"$screen" | LC_ALL=C.UTF-8 sed -E 's/^.{36}(.{0,8}).*/\1/')
        grep -q '[│┌─┐┘└]' <<<"$box" && seen_glyph=1
        [[ $(sed -n 13p <<<"$styled") == *$'\e[1m'* ]] || fail "the name is not bold"
        break
    fi
    sleep 0.02
done
((seen_name)) || fail "the name never showed at x = 38 to 41 on row 12"
((seen_glyph)) || fail "no box glyph around the name"
tmux_send q
tmux_wait_exit 10 || fail "gorv did not end"
[[ $(tmux_status) == 0 ]] || fail "exit status $(tmux_status)"
tmux_cleanup

# A key early in the opening: the opening (25 x 39.7 ms) still runs to its end.
run_in_pane 80 24
tmux_wait_for '[│┌─┐┘└]' 10 || fail "no opening"
tmux_send q
tmux_wait_exit 10 || fail "gorv did not end after a key during the opening"
ms=$(cat "$TMUX_DIR/ms")
((ms >= 950 && ms < 2500)) || fail "a key during the opening ended the run after $ms ms"
[[ $(tmux_status) == 0 ]] || fail "exit status $(tmux_status)"
echo "opening: ok"
