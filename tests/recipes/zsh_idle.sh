#!/usr/bin/env bash
# gorv as the idle screensaver of zsh, with the recipe's two lines in the .zshrc and a
# short idle time: at an idle prompt gorv's rain runs, a key ends it, and the prompt and
# the half-typed line are back as they were, without that key.
source "$(dirname "$0")/../e2e/e2e_lib.sh" "$1"
command -v zsh >/dev/null || { echo "zsh is not installed"; exit 77; }

tmux_setup || fail "no work directory"
mkdir "$TMUX_DIR/home" || fail "no home folder"
cat >"$TMUX_DIR/home/.zshrc" <<EOF
PS1='%% '
TMOUT=3
TRAPALRM() { $GORV -s rain }
EOF
tmux_start 80 24 "$E2E_TERM" "export HOME='$TMUX_DIR/home' ZDOTDIR='$TMUX_DIR/home'
exec zsh -i" || fail "tmux did not start"
tmux_wait_for '^% ?$' 10 || fail "no zsh prompt"
tmux_send_text "echo typed-"
tmux_wait_for '^% echo typed-$' 10 || fail "the typing does not show"

# Idle for 3 s at the prompt: gorv takes the terminal and the rain falls.
tmux_wait_for '^[ 01]*[01][ 01]*$' 15 || fail "gorv did not start at the idle prompt"
[[ $(tmux_query '#{alternate_on}') == 1 ]] || fail "gorv is not on the alternate screen"

tmux_send_text "x"
tmux_wait_for '^% echo typed-$' 10 || fail "a key did not bring the prompt back"
for _ in $(seq 100); do
    [[ $(tmux_query '#{alternate_on}') == 0 ]] && break
    sleep 0.05
done
[[ $(tmux_query '#{alternate_on}') == 0 ]] || fail "the alternate screen is still on"
# The key that ended gorv did not reach the line editor: the line goes on as typed.
tmux_send_text "ok"
tmux_send Enter
tmux_wait_for '^typed-ok$' 10 || fail "zsh did not run the line as typed"
echo "zsh idle: ok"
