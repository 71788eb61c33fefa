#!/usr/bin/env bash
# SIGTERM and SIGINT sent at random moments in the first 20 ms of a run, 50 tries each,
# never leave the terminal broken: after every try the normal screen is on, the cursor is
# shown and the terminal modes are as before.
source "$(dirname "$0")/e2e_lib.sh" "$1"

tries=50
tmux_setup || fail "no work directory"
tmux_start 80 24 "$E2E_TERM" "
cd '$TMUX_DIR'
stty -g >before
for i in \$(seq $((2 * tries))); do
    signal=TERM
    ((i > $tries)) && signal=INT
    # A killer in the background, gorv in the foreground; the delay counts from the fork.
    (
        sleep 0.0\$(printf '%02d' \$((RANDOM % 20)))
        until pkill -\$signal -P \$\$ -x gorv; do sleep 0.001; done
    ) &
    killer=\$!
    '$GORV' --bare 2>/dev/null
    status=\$?
    wait \$killer
    [ \"\$(stty -g)\" = \"\$(cat before)\" ] || echo \"\$i \$signal: modes differ\" >>broken
    echo \"\$i \$signal \$status\" >>tries
    echo \$i >tried.new && mv tried.new tried
    until [ -e ack.\$i ]; do sleep 0.01; done
done" || fail "tmux did not start"

for i in $(seq $((2 * tries))); do
    tmux_wait_line "^$i\$" "$TMUX_DIR/tried" 10 || fail "try $i did not end"
    state=$(tmux_query '#{alternate_on} #{cursor_flag}')
    [[ $state == "0 1" ]] || fail "try $i ($(tail -n1 "$TMUX_DIR/tries")): alternate screen and cursor '$state'"
    touch "$TMUX_DIR/ack.$i"
done
[[ ! -e $TMUX_DIR/broken ]] || fail "$(cat "$TMUX_DIR/broken")"
echo "early signals: ok ($(awk '{ print $3 }' "$TMUX_DIR/tries" | sort | uniq -c | tr '\n' ' '))"
