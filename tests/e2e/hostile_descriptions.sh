#!/usr/bin/env bash
# Terminal descriptions are input: crafted and corrupt ones, compiled with tic into a private
# TERMINFO folder, each run in turn on a 40 x 12 terminal. Every run ends by itself with
# status 0 or 1 (a description the layer cannot use is the debug fallback, status 0),
# without a sanitizer report, and leaves the terminal's modes as they were.
source "$(dirname "$0")/e2e_lib.sh" "$1"

command -v tic >/dev/null || fail "tic is missing (ncurses-bin)"
tmux_setup || fail "no work directory"
db="$TMUX_DIR/terminfo"
mkdir -p "$db"

long=$(printf 'x%.0s' $(seq 16000))
fits=$(printf 'x%.0s' $(seq 200))
cat >"$TMUX_DIR/hostile.ti" <<EOF
hostile-long-cup|an address of 4 bytes on the diagonal and 16000 elsewhere,
	am, xenl, cols#80, lines#24,
	clear=\E[H\E[2J, cr=\r, cud1=\n, sgr0=\E[m,
	cup=%?%p1%p2%=%t\E[%i%p1%d;%p2%dH%e$long%;,
hostile-longish-cup|an address of 4 bytes on the diagonal and 200 elsewhere,
	am, xenl, cols#80, lines#24,
	clear=\E[H\E[2J, sgr0=\E[m,
	cup=%?%p1%p2%=%t\E[%i%p1%d;%p2%dH%e$fits%;,
hostile-string-cup|string parameters in the address,
	cols#80, lines#24, clear=\E[H\E[2J, cup=\E[%p1%s;%p2%sH,
hostile-string-moves|string parameters in the moves along a row,
	am, xenl, cols#80, lines#24, clear=\E[H\E[2J, cr=\r, sgr0=\E[m,
	cup=\E[%i%p1%d;%p2%dH, cuf=\E[%p1%sC, hpa=\E[%p1%s\`, cub=\E[%p1%lD,
hostile-string-colours|string parameters in the colours,
	am, xenl, colors#8, cols#80, lines#24, clear=\E[H\E[2J, sgr0=\E[m,
	cup=\E[%i%p1%d;%p2%dH, setaf=\E[3%p1%sm, setab=\E[4%p1%dm, setf=\E[3%p1%lm,
hostile-no-clear|cursor addressing and no clear,
	am, cols#80, lines#24, cr=\r, cud1=\n,
	cup=\E[%i%p1%d;%p2%dH,
EOF
tic -x -o "$db" "$TMUX_DIR/hostile.ti" 2>/dev/null || fail "tic refused the crafted descriptions"

# xterm-256color compiled, with one bit of its cuf flipped: %d becomes %l.
compiled=$(find /etc/terminfo /lib/terminfo /usr/share/terminfo -name xterm-256color 2>/dev/null |
    head -1)
[[ -n $compiled ]] || fail "no compiled xterm-256color"
mkdir -p "$db/h"
perl -0777 -pe 's/\e\[%p1%dC/\e[%p1%lC/' "$compiled" >"$db/h/hostile-flipped-xterm"
cmp -s "$compiled" "$db/h/hostile-flipped-xterm" && fail "the bit flip did not take"

names=(hostile-long-cup hostile-longish-cup hostile-string-cup hostile-string-moves
    hostile-string-colours hostile-no-clear hostile-flipped-xterm)
tmux_start 40 12 "$E2E_TERM" "
for name in ${names[*]}; do
    stty -g >'$TMUX_DIR/before.'\$name
    TERMINFO='$db' TERM=\$name timeout --foreground 30 '$GORV' --bare -t 1 \
        2>'$TMUX_DIR/err.'\$name
    echo \$? >'$TMUX_DIR/status.'\$name
    stty -g >'$TMUX_DIR/after.'\$name
done" || fail "tmux did not start"
tmux_wait_exit 120 || fail "the runs did not end"

for name in "${names[@]}"; do
    status=$(cat "$TMUX_DIR/status.$name" 2>/dev/null)
    [[ $status == 0 || $status == 1 ]] || fail "$name: exit status ${status:-missing}"
    ! grep -qE 'Sanitizer|runtime error' "$TMUX_DIR/err.$name" ||
        fail "$name: $(grep -m1 -E 'Sanitizer|runtime error' "$TMUX_DIR/err.$name")"
    cmp -s "$TMUX_DIR/before.$name" "$TMUX_DIR/after.$name" ||
        fail "$name: terminal modes differ after the run"
done
# The layer refuses what it cannot expand: without usable cursor addressing the run is the
# debug fallback; the others run.
for name in hostile-long-cup hostile-string-cup; do
    grep -q 'Debug mode activated' "$TMUX_DIR/err.$name" || fail "$name: no debug fallback"
done
for name in hostile-longish-cup hostile-string-moves hostile-string-colours hostile-no-clear \
    hostile-flipped-xterm; do
    ! grep -q 'Debug mode activated' "$TMUX_DIR/err.$name" || fail "$name: fell back"
done
echo "hostile descriptions: ok"
