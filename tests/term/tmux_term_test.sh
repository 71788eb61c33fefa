#!/usr/bin/env bash
# The terminal layer on a real terminal (tmux), through term_probe.
#
#   tmux_term_test.sh PROBE draw TERM LANG KEY GREEN KEY_LINE
#       Runs the probe's drawing with TERM in the pane and LANG as its only locale
#       variable, checks the attributes (GREEN: how the bright green cell shows), that
#       U+FF8A and U+250C take one cell each and go out as UTF-8, that KEY ends the probe
#       with KEY_LINE in its log, and that the terminal is given back as it was.
#   tmux_term_test.sh PROBE resize
#       Resizes the window twice: each resize is reported with the new size, and the
#       probe's redraw fills the new size.
set -u

PROBE=$1
CASE=$2
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../tmux/tmux_lib.sh"

# Characters count by code point below.
export LC_ALL=C.UTF-8

failures=0
check() {
    local what=$1
    shift
    if "$@"; then
        echo "ok: $what"
    else
        echo "FAIL: $what"
        failures=$((failures + 1))
    fi
}

equals() { [[ $1 == "$2" ]] || { printf '  got:      %q\n  expected: %q\n' "$1" "$2"; false; }; }

# Prints, for each character of a line captured with SGR sequences, the character and
# the attributes in force there: "B bold", "r fg=31", "k plain", ...
styles_of() {
    local line=$1 bold=0 dim=0 reverse=0 fg="" bg="" ch params p state
    local sgr=$'^\e\\[([0-9;]*)m(.*)$'
    while [[ -n $line ]]; do
        if [[ $line =~ $sgr ]]; then
            params=${BASH_REMATCH[1]}
            line=${BASH_REMATCH[2]}
            [[ -z $params ]] && params=0
            IFS=';' read -r -a codes <<<"$params"
            for p in "${codes[@]}"; do
                case $p in
                    0) bold=0 dim=0 reverse=0 fg="" bg="" ;;
                    1) bold=1 ;;
                    2) dim=1 ;;
                    7) reverse=1 ;;
                    22) bold=0 dim=0 ;;
                    27) reverse=0 ;;
                    39) fg="" ;;
                    49) bg="" ;;
                    3[0-7] | 9[0-7]) fg=$p ;;
                    4[0-7] | 10[0-7]) bg=$p ;;
                esac
            done
            continue
        fi
        ch=${line:0:1}
        line=${line:1}
        state=""
        ((bold)) && state+=" bold"
        ((dim)) && state+=" dim"
        ((reverse)) && state+=" reverse"
        [[ -n $fg ]] && state+=" fg=$fg"
        [[ -n $bg ]] && state+=" bg=$bg"
        printf "%s%s\n" "$ch" "${state:- plain}"
    done
}

row() { sed -n "$(($1 + 1))p"; }

run_draw() {
    local term=$1 locale=$2 end_key=$3 green=$4
    local log=$TMUX_DIR/probe.log
    tmux_start 40 8 "$term" "
        for i in \$(seq 200); do [ -e '$TMUX_DIR/go' ] && break; sleep 0.05; done
        stty -g >'$TMUX_DIR/stty.before'
        echo PRE-RUN-MARKER
        env -u LC_ALL -u LC_CTYPE LANG='$locale' '$PROBE' draw '$log'
        probe_status=\$?
        stty -g >'$TMUX_DIR/stty.after'
        echo POST-RUN-MARKER
        exit \$probe_status"
    tmux_record "$TMUX_DIR/raw"
    touch "$TMUX_DIR/go"
    if ! tmux_wait_line '^ready' "$log"; then
        echo "FAIL: the probe did not start"
        tmux_capture
        exit 1
    fi
    check "ready at the window size" equals "$(head -n1 "$log")" "ready 40 8"

    local plain styled
    plain=$(tmux_capture)
    styled=$(tmux_capture_styled)
    check "the probe's screen" equals "$(row 0 <<<"$plain")" "probe-screen"
    check "one cell each for U+FF8A and U+250C" \
        equals "$(row 1 <<<"$plain")" "B D R V r g ﾊk┌b"
    check "alternate screen, hidden cursor, no mouse" \
        equals "$(tmux_query '#{alternate_on} #{cursor_flag} #{mouse_any_flag}')" "1 0 0"

    # The blanks between the cells may carry the style before them (it does not show on
    # a blank), but never reverse video or a background.
    local expected="B bold
D dim
R reverse
V reverse
r fg=31
g $green
ﾊ plain
k plain
┌ plain
b plain"
    local styles
    styles=$(styles_of "$(row 1 <<<"$styled")")
    check "attributes of the drawn cells" equals "$(grep -v '^ ' <<<"$styles")" "$expected"
    check "blanks show neither reverse video nor a background" \
        bash -c '! grep -E "^  .*(reverse|bg=)" <<<"$1"' _ "$styles"

    tmux_send "$end_key"
    check "the probe exits after the key" tmux_wait_exit
    check "exit status 0" equals "$(tmux_status)" "0"
    check "the key reached the probe as a key event" equals "$(sed -n 2p "$log")" "$5"

    plain=$(tmux_capture)
    styled=$(tmux_capture_styled)
    check "the normal screen is back" equals "$(row 0 <<<"$plain")" "PRE-RUN-MARKER"
    check "output after the run is plain" equals "$(row 1 <<<"$styled")" "POST-RUN-MARKER"
    check "nothing of the probe's screen is left" bash -c '! grep -q probe-screen <<<"$1"' _ "$plain"
    check "alternate screen left, cursor shown" equals "$(tmux_query '#{alternate_on} #{cursor_flag}')" "0 1"
    check "terminal modes as before" cmp -s "$TMUX_DIR/stty.before" "$TMUX_DIR/stty.after"
    check "U+FF8A and U+250C written as UTF-8" \
        grep -q $'\xef\xbe\x8ak\xe2\x94\x8cb' "$TMUX_DIR/raw"
    check "no alternate character set" bash -c '! grep -q $'"'"'\x0e'"'"' "$1"' _ "$TMUX_DIR/raw"
}

run_resize() {
    local log=$TMUX_DIR/probe.log
    tmux_start 60 15 tmux-256color "exec '$PROBE' events '$log'"
    tmux_wait_line '^ready' "$log" || { echo "FAIL: the probe did not start"; exit 1; }
    check "ready at the window size" equals "$(head -n1 "$log")" "ready 60 15"
    local size
    for size in "90 20" "30 8"; do
        set -- $size
        tmux_resize "$1" "$2"
        check "resize to $1x$2 reported" tmux_wait_line "^resize $1 $2 $1 $2\$" "$log"
        check "redrawn at $1x$2" tmux_wait_for "^size $1x$2"
        local plain
        plain=$(tmux_capture)
        check "corner mark in the last cell at $1x$2" \
            equals "$(row $(($2 - 1)) <<<"$plain" | cut -c"$1")" "#"
    done
    tmux_send q
    check "the probe exits after the key" tmux_wait_exit
    check "exit status 0" equals "$(tmux_status)" "0"
}

tmux_setup
case $CASE in
    draw) run_draw "$3" "$4" "$5" "$6" "$7" ;;
    resize) run_resize ;;
    *)
        echo "unknown case $CASE"
        exit 2
        ;;
esac
((failures == 0))
