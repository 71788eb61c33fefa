#!/usr/bin/env bash
# Terminals whose colours are not ECMA-48's receive their description's own sequences:
# wy370 (setf only, blue 1 green 2 red 4) gets setf 4 for red, d430c-unix its setaf 2 for
# green, and neither an SGR colour.
source "$(dirname "$0")/e2e_lib.sh" "$1"

check_colour() {
    local term=$1 colour=$2 own=$3 sgr=$4
    E2E_TERM=$term run_in_pane 40 12 --bare -t 2 -c "$colour"
    tmux_record "$TMUX_DIR/bytes"
    tmux_wait_exit 10 || fail "$term: gorv did not end"
    [[ $(tmux_status) == 0 ]] || fail "$term: exit status $(tmux_status)"
    grep -qaF "$own" "$TMUX_DIR/bytes" || fail "$term: no $colour in the description's own sequence"
    ! grep -qaF "$sgr" "$TMUX_DIR/bytes" || fail "$term: an ECMA-48 colour was sent"
    tmux_cleanup
}

check_colour wy370 red $'\e[61;4w' $'\e[31m'
check_colour d430c-unix green $'\036A2' $'\e[32m'
echo "own colours: ok"
