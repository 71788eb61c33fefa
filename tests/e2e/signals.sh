#!/usr/bin/env bash
# A termination signal ends the run as a key does: the terminal is given back and the
# exit status is 128 + the signal's number.
source "$(dirname "$0")/e2e_lib.sh" "$1"

for signal in TERM:15 INT:2 HUP:1 QUIT:3; do
    name=${signal%:*}
    number=${signal#*:}
    signal_a_run "$name"
    [[ $(tmux_status) == $((128 + number)) ]] || fail "$name: exit status $(tmux_status)"
    expect_restored
    tmux_cleanup
done
echo "signals: ok"
