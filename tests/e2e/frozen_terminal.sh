#!/usr/bin/env bash
# A terminal that takes no output (its tmux server stopped) never holds the run: SIGTERM
# ends gorv within 2 s, and once the terminal reads again it is given back.
source "$(dirname "$0")/e2e_lib.sh" "$1"

run_in_pane 200 60 --bare -s rain --speed fast
tmux_wait_for '[01]' 10 || fail "no frame"
pid=$(gorv_pid) || fail "no gorv process"
server=$(tmux_query '#{pid}')
[[ -n $server ]] || fail "no server pid"

kill -STOP "$server"
# Frames fill what the kernel holds for the stopped reader.
sleep 1
kill -TERM "$pid"
ended=0
for _ in $(seq 40); do
    kill -0 "$pid" 2>/dev/null || { ended=1; break; }
    sleep 0.05
done
kill -CONT "$server"
((ended)) || fail "gorv did not end within 2 s of SIGTERM while the terminal took nothing"

tmux_wait_exit 10 || fail "the pane did not finish after the server continued"
[[ $(tmux_status) == 143 ]] || fail "exit status $(tmux_status)"
[[ $(tmux_query '#{cursor_flag}') == 1 ]] || fail "the cursor is hidden"
[[ $(tmux_query '#{alternate_on}') == 0 ]] || fail "the alternate screen is still on"
cmp -s "$TMUX_DIR/before" "$TMUX_DIR/after" || fail "terminal modes differ after the run"
echo "frozen terminal: ok"
