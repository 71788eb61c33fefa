#!/usr/bin/env bash
# SIGTSTP on a run under an interactive shell gives the terminal back and stops it: the
# prompt shows on the normal screen with the cursor and the shell's modes. After fg the
# run draws again and q ends it with status 0.
source "$(dirname "$0")/e2e_lib.sh" "$1"

tmux_setup || fail "no work directory"
tmux_start 80 24 "$E2E_TERM" "PS1='$ ' exec bash --norc --noprofile -i" || fail "tmux did not start"
tmux_wait_for '^\$' 10 || fail "no shell prompt"
tmux_send_text "stty -g >'$TMUX_DIR/before'; echo \$\$ >'$TMUX_DIR/shell'"
tmux_send Enter
tmux_wait_line '.' "$TMUX_DIR/shell" || fail "the shell did not answer"
tmux_send_text "clear; '$GORV' --bare"
tmux_send Enter
tmux_wait_for '^[01]{80}$' 10 || fail "no frame"
pid=$(gorv_pid) || fail "no gorv process"

kill -TSTP "$pid"
tmux_wait_for 'Stopped' 5 || fail "the shell did not report the run stopped"
[[ $(ps -o stat= -p "$pid") == T* ]] || fail "gorv is not stopped"
[[ $(tmux_query '#{alternate_on} #{cursor_flag}') == "0 1" ]] ||
    fail "stopped: not the normal screen with the cursor shown"
tmux_send_text "stty -g >'$TMUX_DIR/stopped'"
tmux_send Enter
tmux_wait_line '.' "$TMUX_DIR/stopped" || fail "no prompt that takes commands while stopped"
cmp -s "$TMUX_DIR/before" "$TMUX_DIR/stopped" || fail "stopped: terminal modes differ"

tmux_send_text "fg"
tmux_send Enter
for _ in $(seq 100); do
    [[ $(tmux_query '#{alternate_on}') == 1 ]] && tmux_capture | grep -Eq '^[01]{80}$' && break
    sleep 0.05
done
tmux_capture | grep -Eq '^[01]{80}$' || fail "no frame after fg"
# Frames go on: the screen changes.
first=$(tmux_capture)
sleep 0.3
[[ $(tmux_capture) != "$first" ]] || fail "the run does not draw after fg"
tmux_send q
for _ in $(seq 100); do
    [[ $(tmux_query '#{alternate_on}') == 0 ]] && ! kill -0 "$pid" 2>/dev/null && break
    sleep 0.05
done
kill -0 "$pid" 2>/dev/null && fail "q did not end the run"
tmux_send_text "echo status=\$? >'$TMUX_DIR/status'"
tmux_send Enter
tmux_wait_line '^status=0$' "$TMUX_DIR/status" 5 || fail "exit status $(cat "$TMUX_DIR/status" 2>/dev/null)"
echo "stop and continue: ok"
