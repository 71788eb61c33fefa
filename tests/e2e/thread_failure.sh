#!/usr/bin/env bash
# An error after the terminal was taken over is written once the terminal is given back:
# with no room for a thread's 16 MiB stack the run ends with "error: SystemResources",
# exit status 1, and the line stands on the normal screen. Standard error goes to the
# pane itself here, so a line written on the alternate screen would vanish with it.
source "$(dirname "$0")/e2e_lib.sh" "$1"

# The sanitizers reserve far more address space than the limit below allows.
if ldd "$GORV" | grep -qE 'lib(a|t)san'; then
    echo "thread failure: skipped under a sanitizer"
    exit 77
fi

tmux_setup || fail "no work directory"
tmux_start 80 24 "$E2E_TERM" "
echo before-the-run
stty -g >'$TMUX_DIR/before'
(ulimit -v 16000; exec '$GORV' --bare)
status=\$?
stty -g >'$TMUX_DIR/after'
exit \$status" || fail "tmux did not start"
tmux_wait_exit 10 || fail "gorv did not end"
[[ $(tmux_status) == 1 ]] || fail "exit status $(tmux_status)"
expect_restored
screen=$(tmux_capture | grep -v '^$')
[[ $screen == $'before-the-run\nerror: SystemResources' ]] || fail "the screen shows: $screen"
echo "thread failure: ok"
