#!/usr/bin/env bash
# Input that arrives during a run but is never read goes nowhere: a paste of
# "q<Enter>echo X > FILE<Enter>" into a run ends it, and the shell never runs the echo.
source "$(dirname "$0")/e2e_lib.sh" "$1"

tmux_setup || fail "no work directory"
file=$TMUX_DIR/pasted
alive=$TMUX_DIR/alive
tmux_start 80 24 "$E2E_TERM" "PS1='$ ' exec bash --norc --noprofile -i" || fail "tmux did not start"
tmux_wait_for '^\$' 10 || fail "no shell prompt"
tmux_send_text "'$GORV' --bare"
tmux_send Enter
tmux_wait_for '^[01]{80}$' 10 || fail "no frame"
tmux_send_text $'q\recho X > '"$file"$'\r'
tmux_wait_for '^\$ *$' 10 || fail "no prompt after the run"
# The shell reads what is typed now: the echo above would have run by the time this does.
tmux_send_text "echo > $alive"
tmux_send Enter
tmux_wait_line '' "$alive" 2>/dev/null
for _ in $(seq 100); do [[ -e $alive ]] && break; sleep 0.05; done
[[ -e $alive ]] || fail "the shell takes no input after the run"
[[ ! -e $file ]] || fail "input typed during the run reached the shell"
echo "typed ahead: ok"
