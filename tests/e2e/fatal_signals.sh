#!/usr/bin/env bash
# A signal whose default action ends the process gives the terminal back first, and the
# exit status still names it: SIGUSR1 (128 + 10) and SIGSEGV (128 + 11).
source "$(dirname "$0")/e2e_lib.sh" "$1"

for signal in USR1:10 SEGV:11; do
    name=${signal%:*}
    number=${signal#*:}
    signal_a_run "$name"
    # A sanitizer build's sanitizer takes SIGSEGV for itself and ends the process its way.
    if [[ $name == SEGV ]] && grep -q Sanitizer "$TMUX_DIR/err"; then
        echo "SEGV: left to the sanitizer"
        tmux_cleanup
        continue
    fi
    [[ $(tmux_status) == $((128 + number)) ]] || fail "$name: exit status $(tmux_status)"
    [[ $(tmux_query '#{cursor_flag}') == 1 ]] || fail "$name: the cursor is hidden"
    expect_restored
    tmux_cleanup
done
echo "fatal signals: ok"
