#!/usr/bin/env bash
# gorv as the blanker of GNU screen, with the recipe's two lines in the screenrc and a
# short idle time: the idle window blanks with gorv's rain, a key brings the window back
# as it was, and that key never reaches the window.
source "$(dirname "$0")/../e2e/e2e_lib.sh" "$1"
command -v screen >/dev/null || { echo "screen is not installed"; exit 77; }

tmux_setup || fail "no work directory"
# screen keeps its sockets in a folder that only its user may enter.
mkdir -m 700 "$TMUX_DIR/screen" || fail "no folder for screen's sockets"
cat >"$TMUX_DIR/screenrc" <<EOF
startup_message off
blankerprg $GORV -s rain
idle 3 blanker
EOF
# No system-wide screenrc: the recipe's lines alone.
tmux_start 80 24 "$E2E_TERM" "export SCREENDIR='$TMUX_DIR/screen' SYSSCREENRC=/dev/null PS1='$ '
exec screen -c '$TMUX_DIR/screenrc' bash --norc --noprofile -i" || fail "tmux did not start"
tmux_wait_for '^\$ ?$' 10 || fail "no shell prompt in the screen window"
tmux_send_text "echo typed-"
tmux_wait_for '^\$ echo typed-$' 10 || fail "the typing does not show"

# Idle for 3 s: the blanker runs and the rain falls; the prompt is gone.
tmux_wait_for '^[ 01]*[01][ 01]*$' 15 || fail "the idle window did not blank with gorv"
tmux_capture | grep -q 'typed-' && fail "the prompt shows through the blanker"

tmux_send_text "x"
tmux_wait_for '^\$ echo typed-$' 10 || fail "a key did not bring the window back"
tmux_capture | grep -Eq '^[ 01]*[01][ 01]*$' && fail "rain is left on the window"
# The key that ended the blanker did not reach the shell: the line goes on as typed.
tmux_send_text "ok"
tmux_send Enter
tmux_wait_for '^typed-ok$' 10 || fail "the shell did not run the line as typed"
echo "screen blanker: ok"
