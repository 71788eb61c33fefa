#!/usr/bin/env bash
# SIGTSTP followed by SIGCONT 0, 2 and 10 ms later, many times, on a large screen (where a
# frame takes long, so the continue often comes before the stop is carried out): the run is
# never left stopped, as with the default actions, where a continue cancels a stop. The run
# is the terminal's foreground group of its own, so that it can stop and no shell takes the
# terminal when it does.
source "$(dirname "$0")/e2e_lib.sh" "$1"
TOOL=$2
[[ -x $TOOL ]] || fail "no signal tool"
# ThreadSanitizer holds back handlers for signals that arrive while the thread runs its own
# code and then runs them in the order of their numbers: SIGCONT's before SIGTSTP's,
# whichever came first. The order this test is about is then the sanitizer's.
if ldd "$GORV" 2>/dev/null | grep -q libtsan; then
    echo "stop and continue race: skipped under ThreadSanitizer"
    exit 77
fi
tries=10

real=$GORV
GORV=$TOOL
run_in_pane 1000 300 run --foreground -- "$real" --bare
GORV=$real
# A run that a failure leaves stopped must not outlive the test.
trap '[[ -n $pid ]] && kill -KILL "$pid" 2>/dev/null; tmux_cleanup' EXIT
tmux_wait_for '^[01]{1000}$' 20 || fail "no frame"
pid=$(gorv_pid) || fail "no gorv process"

for gap in 0 2 10; do
    for try in $(seq "$tries"); do
        "$TOOL" send "$pid" TSTP "$gap" CONT || fail "the signals were not sent"
        # A stop carried out before the continue ends with it; only a stop after it lasts.
        sleep 0.5
        if [[ $(ps -o stat= -p "$pid") == T* ]]; then
            sleep 1.5
            [[ $(ps -o stat= -p "$pid") == T* ]] && fail "gap $gap ms, try $try: left stopped"
        fi
    done
done
for _ in $(seq 100); do
    [[ $(tmux_query '#{alternate_on}') == 1 ]] && break
    sleep 0.05
done
[[ $(tmux_query '#{alternate_on}') == 1 ]] || fail "the terminal was not taken again"
tmux_send q
tmux_wait_exit 20 || fail "q did not end the run"
[[ $(tmux_status) == 0 ]] || fail "exit status $(tmux_status)"
expect_restored
echo "stop and continue race: ok ($((3 * tries)) tries)"
