# tmux_lib.sh: a private tmux server for tests that need a real terminal. Source it from
# bash. Every test gets its own server and work directory, so tests can run side by side
# and without a terminal of their own (CI runs them with no terminal and no stdin). All
# waits are bounded; nothing here touches another tmux server.
#
#   tmux_setup
#       Creates the work directory $TMUX_DIR and a unique server name $TMUX_SERVER, and
#       arranges for tmux_cleanup to run when the shell exits (it sets the EXIT trap).
#   tmux_start W H TERM SCRIPT
#       Starts the server with one window of W x H cells whose pane runs the bash SCRIPT
#       with TERM set to TERM. When SCRIPT ends, its exit status is written to
#       $TMUX_DIR/status and the pane stays as SCRIPT left it, so it can still be
#       captured (a pane whose process has died is redrawn by tmux: it is kept alive).
#   tmux_send KEY...
#       Sends keys by tmux name (q, Escape, C-c, Up, Enter, ...).
#   tmux_send_text TEXT
#       Sends TEXT literally.
#   tmux_capture
#       Prints the pane's text, one line per row.
#   tmux_capture_styled
#       Prints the pane's text with its attributes and colours as SGR sequences.
#   tmux_wait_for REGEX [SECONDS]
#       Waits until the pane's text matches the extended regular expression REGEX.
#       Returns 1 after SECONDS (default 10), or as soon as SCRIPT has ended without it.
#   tmux_wait_line REGEX FILE [SECONDS]
#       Waits until a line of FILE matches REGEX; returns 1 after SECONDS (default 10).
#   tmux_wait_exit [SECONDS]
#       Waits until SCRIPT has ended and tmux has taken in everything it wrote; returns 1
#       after SECONDS (default 10).
#   tmux_status
#       Prints the exit status SCRIPT ended with (nothing while it runs).
#   tmux_resize W H
#       Resizes the window to W x H cells.
#   tmux_query FORMAT
#       Prints a tmux format for the pane, e.g. '#{alternate_on}' or '#{cursor_flag}'.
#   tmux_record FILE
#       Appends everything the pane's program writes from now on to FILE.
#   tmux_cleanup
#       Kills this test's server only and removes $TMUX_DIR.

TMUX_DIR=""
TMUX_SERVER=""
TMUX_TARGET="probe:0.0"
TMUX_EXITED="gorv-script-exited"

tmux_setup() {
    unset TMUX TMUX_PANE
    TMUX_DIR=$(mktemp -d /tmp/gorv-tmux.XXXXXX) || return 1
    TMUX_SERVER="gorv-$$-${RANDOM}"
    # The server's socket lives in the work directory, away from everyone else's.
    export TMUX_TMPDIR="$TMUX_DIR"
    trap tmux_cleanup EXIT
}

tmux_cmd() {
    tmux -u -L "$TMUX_SERVER" -f /dev/null "$@"
}

tmux_start() {
    local width=$1 height=$2 term=$3 script=$4
    printf '%s\n' "$script" >"$TMUX_DIR/script.sh"
    # After SCRIPT, a pane title that tmux can only have seen after all of SCRIPT's output.
    cat >"$TMUX_DIR/run.sh" <<EOF
bash --norc --noprofile "$TMUX_DIR/script.sh"
printf '%s\n' "\$?" >"$TMUX_DIR/status.new"
mv "$TMUX_DIR/status.new" "$TMUX_DIR/status"
printf '\033]2;$TMUX_EXITED\033\\\\'
exec sleep 600
EOF
    tmux_cmd start-server \; \
        set -g default-terminal "$term" \; \
        set -g status off \; \
        set -g history-limit 0 \; \
        new-session -d -s probe -x "$width" -y "$height" \
        "bash --norc --noprofile $TMUX_DIR/run.sh" </dev/null
}

tmux_send() {
    tmux_cmd send-keys -t "$TMUX_TARGET" "$@"
}

tmux_send_text() {
    tmux_cmd send-keys -t "$TMUX_TARGET" -l "$1"
}

tmux_capture() {
    tmux_cmd capture-pane -p -t "$TMUX_TARGET"
}

tmux_capture_styled() {
    tmux_cmd capture-pane -p -e -t "$TMUX_TARGET"
}

tmux_query() {
    tmux_cmd display-message -p -t "$TMUX_TARGET" "$1"
}

tmux_resize() {
    tmux_cmd resize-window -t "${TMUX_TARGET%.*}" -x "$1" -y "$2"
}

tmux_record() {
    tmux_cmd pipe-pane -o -t "$TMUX_TARGET" "cat >>'$1'"
}

# Milliseconds on a clock that only moves forwards.
tmux_now_ms() {
    local uptime
    read -r uptime _ </proc/uptime
    uptime=${uptime/./}
    echo $((10#$uptime * 10))
}

tmux_wait_for() {
    local regex=$1 deadline=$(($(tmux_now_ms) + ${2:-10} * 1000))
    while (($(tmux_now_ms) < deadline)); do
        tmux_capture | grep -Eq -- "$regex" && return 0
        if tmux_exited; then
            tmux_capture | grep -Eq -- "$regex"
            return
        fi
        sleep 0.05
    done
    return 1
}

tmux_wait_line() {
    local regex=$1 file=$2 deadline=$(($(tmux_now_ms) + ${3:-10} * 1000))
    while (($(tmux_now_ms) < deadline)); do
        [[ -e $file ]] && grep -Eq -- "$regex" "$file" && return 0
        sleep 0.05
    done
    return 1
}

tmux_exited() {
    [[ $(tmux_query '#{pane_title}') == "$TMUX_EXITED" ]]
}

tmux_wait_exit() {
    local deadline=$(($(tmux_now_ms) + ${1:-10} * 1000))
    while (($(tmux_now_ms) < deadline)); do
        tmux_exited && return 0
        sleep 0.05
    done
    return 1
}

tmux_status() {
    [[ -e $TMUX_DIR/status ]] && cat "$TMUX_DIR/status"
}

tmux_cleanup() {
    if [[ -n $TMUX_SERVER ]]; then
        tmux_cmd kill-server >/dev/null 2>&1
        TMUX_SERVER=""
    fi
    if [[ -n $TMUX_DIR && -d $TMUX_DIR ]]; then
        rm -rf -- "$TMUX_DIR"
        TMUX_DIR=""
    fi
}
