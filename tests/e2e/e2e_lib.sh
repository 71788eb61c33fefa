# e2e_lib.sh: shared pieces of the end-to-end tests of gorv in a private tmux server.
# Source it with the path of the gorv binary in $1; it sources the tmux harness.
#
#   fail MESSAGE          prints FAIL and the pane, then exits 1
#   run_in_pane W H ARGS  starts gorv ARGS in a W x H pane; the pane script records the
#                         terminal modes before and after ($TMUX_DIR/before, after), the
#                         run's duration in ms ($TMUX_DIR/ms) and standard error (err)
#   gorv_pid              prints the pid of the running gorv
#   signal_a_run NAME     runs gorv --bare in an 80 x 24 pane until it draws, sends it the
#                         signal NAME (TERM, USR1, ...) and waits for it to end
#   pane_rows W           the pane's text with every row padded to W columns
#   check_gaps W H COLS ROWS
#                         succeeds when, on a W x H screen, exactly the cells in the
#                         blank columns COLS and blank rows ROWS (space-separated lists)
#                         are blank and every other cell shows a symbol
#   expect_restored       checks that the normal screen and the terminal modes are back

GORV=$1
source "$(dirname "${BASH_SOURCE[0]}")/../tmux/tmux_lib.sh"
E2E_TERM=tmux-256color

fail() {
    echo "FAIL: $*"
    if [[ -n $TMUX_SERVER ]]; then
        echo "--- pane:"
        tmux_capture
    fi
    if [[ -n $TMUX_DIR && -s $TMUX_DIR/err ]]; then
        echo "--- stderr:"
        head -5 "$TMUX_DIR/err"
    fi
    exit 1
}

run_in_pane() {
    local width=$1 height=$2
    shift 2
    local args=""
    (($#)) && printf -v args '%q ' "$@"
    tmux_setup || fail "no work directory"
    tmux_start "$width" "$height" "$E2E_TERM" "
echo \$\$ >'$TMUX_DIR/shell'
echo before-the-run
stty -g >'$TMUX_DIR/before'
start=\$(date +%s%N)
'$GORV' $args 2>'$TMUX_DIR/err'
status=\$?
end=\$(date +%s%N)
stty -g >'$TMUX_DIR/after'
echo \$(( (end - start) / 1000000 )) >'$TMUX_DIR/ms'
exit \$status" || fail "tmux did not start"
}

gorv_pid() {
    local shell pid
    for _ in $(seq 100); do
        shell=$(cat "$TMUX_DIR/shell" 2>/dev/null)
        pid=$([[ -n $shell ]] && pgrep -P "$shell" -x gorv)
        [[ -n $pid ]] && { echo "$pid"; return 0; }
        sleep 0.05
    done
    return 1
}

signal_a_run() {
    local name=$1 pid
    run_in_pane 80 24 --bare
    tmux_wait_for '^[01]{80}$' 10 || fail "$name: no frame"
    pid=$(gorv_pid) || fail "$name: no gorv process"
    kill -s "$name" "$pid"
    tmux_wait_exit 10 || fail "$name: gorv did not end"
}

pane_rows() {
    tmux_capture | awk -v w="$1" '{ printf "%-*s\n", w, $0 }'
}

check_gaps() {
    local width=$1 height=$2 cols=$3 rows=$4
    pane_rows "$width" | awk -v w="$width" -v h="$height" -v cols="$cols" -v rows="$rows" '
        BEGIN {
            n = split(cols, c, " "); for (i = 1; i <= n; i++) gapcol[c[i]] = 1
            n = split(rows, r, " "); for (i = 1; i <= n; i++) gaprow[r[i]] = 1
        }
        NR <= h {
            y = NR - 1
            for (x = 0; x < w; x++) {
                ch = substr($0, x + 1, 1)
                blank = (x in gapcol) || (y in gaprow)
                if (blank != (ch == " ")) exit 1
            }
        }
        END { if (NR < h) exit 1 }'
}

expect_restored() {
    [[ $(tmux_query '#{alternate_on}') == 0 ]] || fail "the alternate screen is still on"
    cmp -s "$TMUX_DIR/before" "$TMUX_DIR/after" || fail "terminal modes differ after the run"
    tmux_capture | grep -q '^before-the-run$' || fail "the normal screen is not back"
}
