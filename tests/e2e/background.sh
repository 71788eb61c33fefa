#!/usr/bin/env bash
# A run that does not own the terminal's foreground stops, as full-screen programs do, and
# costs nothing while it waits, under an interactive shell with job control:
# - started with &, it is stopped within 2 s and uses no CPU; fg runs it to its end with
#   status 0 and the terminal as it was;
# - started with &, SIGTERM while it is stopped, fg: it ends within 2 s with 143, the
#   terminal as it was, never taken;
# - a foreground run stopped with SIGTSTP and sent on with bg stops again within 2 s, uses
#   no CPU, and fg then a key ends it with 0.
source "$(dirname "$0")/e2e_lib.sh" "$1"

# Under 0.05 s of CPU (user and system, all threads) over 2 s.
ticks_per_second=$(getconf CLK_TCK)

start_shell() {
    tmux_setup || fail "no work directory"
    tmux_start 80 24 "$E2E_TERM" "PS1='$ ' exec bash --norc --noprofile -i" ||
        fail "tmux did not start"
    tmux_wait_for '^\$' 10 || fail "no shell prompt"
    shell_says "stty -g >'$TMUX_DIR/before'; echo \$\$ >'$TMUX_DIR/shell'" "$TMUX_DIR/shell"
}

# Types a command line into the shell and waits until FILE has a line.
shell_says() {
    tmux_send_text "$1"
    tmux_send Enter
    tmux_wait_line '.' "$2" 10 || fail "the shell did not run: $1"
}

cpu_ticks() {
    awk '{ print $14 + $15 }' "/proc/$1/stat"
}

expect_stopped_and_idle() {
    local pid=$1 what=$2 stopped=0
    for _ in $(seq 40); do
        [[ $(ps -o stat= -p "$pid") == T* ]] && { stopped=1; break; }
        sleep 0.05
    done
    ((stopped)) || fail "$what: not stopped within 2 s (state $(ps -o stat= -p "$pid"))"
    local before after
    before=$(cpu_ticks "$pid")
    sleep 2
    after=$(cpu_ticks "$pid")
    (((after - before) * 100 < 5 * ticks_per_second)) ||
        fail "$what: $((after - before)) ticks of CPU in 2 s while stopped"
    [[ $(ps -o stat= -p "$pid") == T* ]] || fail "$what: no longer stopped"
    # The shell reports it at its next prompt.
    tmux_send Enter
    tmux_wait_for 'Stopped' 5 || fail "$what: the shell does not report the run stopped"
}

# fg, then the exit status and the modes into files once the run has ended.
bring_to_foreground() {
    tmux_send_text "fg; echo status=\$? >'$TMUX_DIR/status'; stty -g >'$TMUX_DIR/after'"
    tmux_send Enter
}

expect_ended() {
    local pid=$1 status=$2 seconds=$3 what=$4
    tmux_wait_line '^status=' "$TMUX_DIR/status" "$seconds" || fail "$what: the run did not end"
    [[ $(cat "$TMUX_DIR/status") == "status=$status" ]] ||
        fail "$what: $(cat "$TMUX_DIR/status"), not $status"
    kill -0 "$pid" 2>/dev/null && fail "$what: gorv still runs"
    tmux_wait_line '.' "$TMUX_DIR/after" 5 || fail "$what: no modes after the run"
    [[ $(tmux_query '#{alternate_on} #{cursor_flag}') == "0 1" ]] ||
        fail "$what: not the normal screen with the cursor shown"
    cmp -s "$TMUX_DIR/before" "$TMUX_DIR/after" || fail "$what: terminal modes differ"
}

# Started in the background, with a duration.
start_shell
tmux_send_text "'$GORV' -s rain -t 3 &"
tmux_send Enter
pid=$(gorv_pid) || fail "&: no gorv process"
expect_stopped_and_idle "$pid" "&"
[[ $(tmux_query '#{alternate_on}') == 0 ]] || fail "&: the terminal was taken from the background"
bring_to_foreground
for _ in $(seq 40); do
    [[ $(tmux_query '#{alternate_on}') == 1 ]] && break
    sleep 0.05
done
[[ $(tmux_query '#{alternate_on}') == 1 ]] || fail "fg: the run did not take the terminal"
expect_ended "$pid" 0 10 "fg"
tmux_cleanup

# Started in the background, ended by SIGTERM while it waits.
start_shell
tmux_send_text "'$GORV' -s rain &"
tmux_send Enter
pid=$(gorv_pid) || fail "TERM: no gorv process"
expect_stopped_and_idle "$pid" "TERM"
kill -TERM "$pid"
sleep 0.2
[[ $(ps -o stat= -p "$pid") == T* ]] || fail "TERM: a stopped run went on before fg"
bring_to_foreground
expect_ended "$pid" 143 2 "TERM, fg"
tmux_cleanup

# A foreground run, stopped and sent on in the background.
start_shell
tmux_send_text "clear; '$GORV' -s rain --bare"
tmux_send Enter
pid=$(gorv_pid) || fail "bg: no gorv process"
for _ in $(seq 100); do
    [[ $(tmux_query '#{alternate_on}') == 1 ]] && break
    sleep 0.05
done
[[ $(tmux_query '#{alternate_on}') == 1 ]] || fail "bg: the run did not take the terminal"
kill -TSTP "$pid"
tmux_wait_for 'Stopped' 5 || fail "TSTP: the shell did not report the run stopped"
tmux_send_text "bg"
tmux_send Enter
tmux_wait_for '\[1\]\+ .*&' 5 || fail "bg: the shell did not send the run on"
expect_stopped_and_idle "$pid" "bg"
bring_to_foreground
for _ in $(seq 100); do
    [[ $(tmux_query '#{alternate_on}') == 1 ]] && break
    sleep 0.05
done
[[ $(tmux_query '#{alternate_on}') == 1 ]] || fail "fg after bg: the run did not take the terminal"
tmux_send q
expect_ended "$pid" 0 10 "fg after bg, q"
echo "background: ok"
