#!/usr/bin/env bash
# The signal state a run inherits is respected:
# - SIGHUP ignored on entry (as nohup or trap '' HUP leave it) stays ignored: SIGHUP does
#   nothing, and the terminal hanging up ends the run as a terminal that went away does,
#   with status 0;
# - SIGTERM, SIGTSTP and SIGWINCH blocked on entry are unblocked: a resize is drawn,
#   SIGTSTP stops the run and SIGCONT takes it on, and SIGTERM ends it with 143 and the
#   terminal as it was.
source "$(dirname "$0")/e2e_lib.sh" "$1"
TOOL=$2
[[ -x $TOOL ]] || fail "no signal tool"

# SIGHUP ignored. The pane's shell ignores it too, so that it outlives the hang-up and
# writes the status.
tmux_setup || fail "no work directory"
tmux_start 80 24 "$E2E_TERM" "
trap '' HUP
echo \$\$ >'$TMUX_DIR/shell'
'$GORV' --bare 2>'$TMUX_DIR/err'
echo \$? >'$TMUX_DIR/hup_status'" || fail "tmux did not start"
tmux_wait_for '^[01]{80}$' 10 || fail "HUP: no frame"
pid=$(gorv_pid) || fail "HUP: no gorv process"
kill -HUP "$pid"
sleep 0.5
kill -0 "$pid" 2>/dev/null || fail "SIGHUP ended a run that found it ignored"
[[ $(tmux_query '#{alternate_on}') == 1 ]] || fail "HUP: the terminal was given back"
tmux_cmd kill-server
tmux_wait_line '.' "$TMUX_DIR/hup_status" 5 || fail "the hang-up did not end the run"
[[ $(cat "$TMUX_DIR/hup_status") == 0 ]] || fail "hang-up: exit status $(cat "$TMUX_DIR/hup_status")"
tmux_cleanup

# SIGTERM, SIGTSTP and SIGWINCH blocked. The run is the terminal's foreground group of its
# own, so that it can stop and nobody takes the terminal meanwhile.
real=$GORV
GORV=$TOOL
run_in_pane 80 24 run --block TERM --block TSTP --block WINCH --foreground -- "$real" --bare
GORV=$real
tmux_wait_for '^[01]{80}$' 10 || fail "blocked: no frame"
pid=$(gorv_pid) || fail "blocked: no gorv process"
# Every row full at the new size: what tmux keeps of the old rows fills fewer.
full_at_new_size() {
    for _ in $(seq 100); do
        (($(tmux_capture | grep -cE '^[01]{100}$') == 30)) && return 0
        sleep 0.05
    done
    return 1
}
tmux_resize 100 30
full_at_new_size || fail "blocked SIGWINCH: the resize was not drawn"
kill -TSTP "$pid"
stopped=0
for _ in $(seq 40); do
    [[ $(ps -o stat= -p "$pid") == T* ]] && { stopped=1; break; }
    sleep 0.05
done
((stopped)) || fail "blocked SIGTSTP: the run did not stop"
[[ $(tmux_query '#{alternate_on}') == 0 ]] || fail "stopped with the terminal still taken"
kill -CONT "$pid"
for _ in $(seq 40); do
    [[ $(tmux_query '#{alternate_on}') == 1 ]] && break
    sleep 0.05
done
full_at_new_size || fail "SIGCONT: the run does not draw again"
kill -TERM "$pid"
tmux_wait_exit 5 || fail "blocked SIGTERM: the run did not end"
[[ $(tmux_status) == 143 ]] || fail "blocked SIGTERM: exit status $(tmux_status)"
expect_restored
echo "inherited signals: ok"
