#!/usr/bin/env bash
# 200 resizes to random sizes, each followed by SIGTSTP or SIGSTOP and then SIGCONT 0 to
# 50 ms later, then a key: the run ends with status 0 and the terminal as it was, and a
# sanitizer build reports nothing. The run is the terminal's foreground group of its own,
# so that it can stop and no shell takes the terminal when it does.
source "$(dirname "$0")/e2e_lib.sh" "$1"
TOOL=$2
[[ -x $TOOL ]] || fail "no signal tool"
events=200

real=$GORV
GORV=$TOOL
run_in_pane 80 24 run --foreground -- "$real" --bare
GORV=$real
# A run that a failure leaves stopped must not outlive the test.
trap '[[ -n $pid ]] && kill -KILL "$pid" 2>/dev/null; tmux_cleanup' EXIT
tmux_wait_for '^[01]{80}$' 10 || fail "no frame"
pid=$(gorv_pid) || fail "no gorv process"

RANDOM=16
for event in $(seq "$events"); do
    tmux_resize $((20 + RANDOM % 140)) $((5 + RANDOM % 45))
    stop=TSTP
    ((RANDOM % 2)) && stop=STOP
    "$TOOL" send "$pid" "$stop" $((RANDOM % 51)) CONT || fail "event $event: not sent"
    kill -0 "$pid" 2>/dev/null || fail "event $event: gorv has ended"
done

# Settled: running, the terminal taken at the last size.
tmux_resize 80 24
settled=0
for _ in $(seq 100); do
    if [[ $(ps -o stat= -p "$pid") != T* && $(tmux_query '#{alternate_on}') == 1 ]] &&
        tmux_capture | grep -Eq '^[01]{80}$'; then
        settled=1
        break
    fi
    sleep 0.05
done
((settled)) || fail "the run did not settle (state $(ps -o stat= -p "$pid"))"
tmux_send q
tmux_wait_exit 20 || fail "q did not end the run"
grep -q Sanitizer "$TMUX_DIR/err" && fail "a sanitizer report"
[[ $(tmux_status) == 0 ]] || fail "exit status $(tmux_status)"
[[ $(tmux_query '#{cursor_flag}') == 1 ]] || fail "the cursor is hidden"
expect_restored
echo "stop and continue chaos: ok ($events events)"
