#!/usr/bin/env bash
# Every static style shows its gap pattern on 80 x 24; rain drops never exceed 12 cells.
source "$(dirname "$0")/e2e_lib.sh" "$1"

every() { # every STEP LIMIT: STEP - 1, 2 STEP - 1, ... up to LIMIT - 1
    local k out=""
    for ((k = $1; k <= $2; k += $1)); do out+="$((k - 1)) "; done
    echo "$out"
}

check_style() {
    local style=$1 cols=$2 rows=$3
    run_in_pane 80 24 --bare -s "$style"
    tmux_wait_for '[01]' 10 || fail "$style: no frame"
    local shown=0
    # A capture may fall between two writes of a frame: a few tries.
    for _ in $(seq 20); do
        if check_gaps 80 24 "$cols" "$rows"; then shown=1; break; fi
        sleep 0.03
    done
    ((shown)) || fail "$style: the screen does not show the gap pattern"
    tmux_send q
    tmux_wait_exit 10 || fail "$style: gorv did not end"
    [[ $(tmux_status) == 0 ]] || fail "$style: exit status $(tmux_status)"
    tmux_cleanup
}

check_style default "" ""
check_style columns "$(every 4 80)" ""
check_style crypto "$(every 5 80)" "$(every 3 24)"
check_style grid "$(every 2 80)" "$(every 2 24)"
check_style blocks "$(every 10 80)" "$(every 6 24)"

run_in_pane 80 24 --bare -s rain --speed fast
tmux_wait_for '[01]' 10 || fail "rain: no symbol"
for _ in $(seq 60); do
    # The longest vertical run of symbols in any column.
    longest=$(pane_rows 80 | awk '
        { for (x = 1; x <= 80; x++) {
              if (substr($0, x, 1) != " ") { run[x]++; if (run[x] > best) best = run[x] }
              else run[x] = 0 } }
        END { print best + 0 }')
    ((longest <= 12)) || fail "rain: a drop of $longest cells"
    sleep 0.05
done
tmux_send q
tmux_wait_exit 10 || fail "rain: gorv did not end"
[[ $(tmux_status) == 0 ]] || fail "rain: exit status $(tmux_status)"
echo "styles: ok"
