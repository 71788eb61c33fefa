#!/usr/bin/env bash
# gorv's cost on a real terminal, side by side with cmatrix -b when it is installed
# (apt-get install cmatrix) and with the floor: frame_replay.c replaying frames recorded
# from the same gorv, the same bytes at the same pace with one write and one sleep a
# frame and no other work. All of them run at the same time, each in its own window of
# the same size in a private tmux server, with TERM=tmux-256color. Not part of the tests.
#
#   benchmarks/terminal_benchmark.sh [GORV [SECONDS [RUNS [CASE]]]]
#
# GORV defaults to build/gorv, SECONDS (the measured window) to 10, RUNS to 5; CASE, a
# regular expression, keeps only the cases whose line below matches it. Cases:
# -s rain --speed fast --bare at 40x12, 80x24, 200x60 and 320x96, and the default style
# (--bare) at 80x24. With GORV_BASE set to another build of gorv, that build runs in the
# same windows too, as "base". Needs tmux, strace and a C compiler (cc, or CC).
#
# Before the runs of a case, gorv runs alone in a window of the case's size under strace,
# for as long as a run lasts, and its write and sleep calls are recorded: strace reports
# each write with its bytes and each sleep with its request, in the order the calls were
# made, so every frame is cut exactly where gorv cut it. (Reading a pseudo-terminal would
# give the bytes too, but in reads whose boundaries are the kernel's, not the frames'.)
# The floor replays that record: it writes the bytes of each frame in one call and sleeps
# what gorv's frame loop slept after it, starting again from the first frame at the end.
#
# Figures are medians over the runs:
#
#   cpu_s      CPU seconds of all the program's threads per 10 s (schedstat of each task)
#   bytes/s    bytes written per second (wchar of /proc/PID/io: all the program writes)
#   writes/f   write calls (syscw of /proc/PID/io) per frame
#   fps        frames per second: the programs' sleeps, one a frame, counted by strace in
#              a window of its own after the measured one (strace slows a program, so it
#              does not run while CPU is measured)
#   rss_mib    peak resident memory (VmHWM); the floor's holds the whole record
#   /cmatrix   gorv's (or base's) cpu_s over cmatrix's in the same run
#   /floor     the same over the floor's
#   /base      gorv's cpu_s over base's
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
GORV=$(realpath "${1:-$here/../build/gorv}")
SECONDS_MEASURED=${2:-10}
RUNS=${3:-5}
CASE_FILTER=${4:-.}
BASE=${GORV_BASE:+$(realpath "$GORV_BASE")}
WARM_UP=3
TRACE_SECONDS=5
RECORD_SECONDS=$((WARM_UP + SECONDS_MEASURED + TRACE_SECONDS + 2))
CMATRIX=$(command -v cmatrix || true)
command -v strace >/dev/null || { echo "needs strace (apt-get install strace)"; exit 2; }
[[ -x $GORV ]] || { echo "no gorv at $GORV"; exit 2; }
[[ -z $BASE || -x $BASE ]] || { echo "no gorv at $GORV_BASE"; exit 2; }

work=$(mktemp -d /tmp/gorv-bench.XXXXXX)
server="gorv-bench-$$"
export TMUX_TMPDIR=$work
unset TMUX TMUX_PANE
tmux_cmd() { tmux -L "$server" -f /dev/null "$@"; }
cleanup() {
    tmux_cmd kill-server >/dev/null 2>&1 || true
    rm -rf -- "$work"
}
trap cleanup EXIT

"${CC:-cc}" -std=c11 -O2 -o "$work/frame_replay" "$here/frame_replay.c" ||
    { echo "cannot build the floor (frame_replay.c) with ${CC:-cc}"; exit 2; }

cpu_ns() { # all threads, nanoseconds on the CPU
    local total=0 t
    for t in /proc/"$1"/task/*/schedstat; do
        read -r on _ <"$t" && total=$((total + on))
    done
    echo "$total"
}
io_field() { awk -v f="$2:" '$1 == f { print $2 }' /proc/"$1"/io; }
peak_kib() { awk '$1 == "VmHWM:" { print $2 }' /proc/"$1"/status; }
# Counts the clock_nanosleep and nanosleep calls of PID in TRACE_SECONDS into FILE.
sleeps() {
    timeout -s INT "$TRACE_SECONDS" strace -f -qq -c --seccomp-bpf -o "$2.trace" \
        -e trace=clock_nanosleep,nanosleep -p "$1" >/dev/null 2>&1 || true
    awk '$NF ~ /nanosleep$/ { n += $4 } END { print n + 0 }' "$2.trace" >"$2"
}

new_server() {
    tmux_cmd kill-server >/dev/null 2>&1 || true
    rm -f "$work"/*.pid
    tmux_cmd start-server \; set -g default-terminal tmux-256color \; set -g history-limit 0
}

# Starts COMMAND in a new window of W x H and prints its pid.
start() {
    local name=$1 w=$2 h=$3
    shift 3
    if ! tmux_cmd has-session -t bench 2>/dev/null; then
        tmux_cmd new-session -d -s bench -n "$name" -x "$w" -y "$h" \
            "echo \$\$ >'$work/$name.pid'; exec env TERM=tmux-256color $*" </dev/null
        tmux_cmd set -g status off
    else
        tmux_cmd new-window -d -t bench -n "$name" \
            "echo \$\$ >'$work/$name.pid'; exec env TERM=tmux-256color $*"
        tmux_cmd resize-window -t "bench:$name" -x "$w" -y "$h"
    fi
    for _ in $(seq 100); do [[ -s $work/$name.pid ]] && break; sleep 0.05; done
    cat "$work/$name.pid"
}

# Records gorv's writes and sleeps for RECORD_SECONDS in a window of W x H, alone.
record() {
    local w=$1 h=$2 args=$3 pid
    new_server
    pid=$(start record "$w" "$h" strace -f -qq -xx -s 16777216 \
        -e trace=write,nanosleep,clock_nanosleep -o "$work/record" \
        "$GORV" "$args" -t "$RECORD_SECONDS")
    while kill -0 "$pid" 2>/dev/null; do sleep 0.5; done
    tmux_cmd kill-server >/dev/null 2>&1 || true
}

median() { sort -g | awk '{ v[NR] = $1 } END { if (NR) print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# One run: prints "program cpu_s bytes_per_s writes_per_frame fps rss_mib" per program.
run_once() {
    local w=$1 h=$2 args=$3
    new_server
    local -A pid
    pid[gorv]=$(start gorv "$w" "$h" "$GORV" "$args")
    [[ -n $BASE ]] && pid[base]=$(start base "$w" "$h" "$BASE" "$args")
    [[ -n $CMATRIX ]] && pid[cmatrix]=$(start cmatrix "$w" "$h" "$CMATRIX" -b)
    pid[floor]=$(start floor "$w" "$h" "$work/frame_replay" "$work/record")
    sleep "$WARM_UP"
    local -A cpu0 bytes0 writes0
    local p
    for p in "${!pid[@]}"; do
        kill -0 "${pid[$p]}" 2>/dev/null || { echo "$p ended early" >&2; exit 1; }
        cpu0[$p]=$(cpu_ns "${pid[$p]}")
        bytes0[$p]=$(io_field "${pid[$p]}" wchar)
        writes0[$p]=$(io_field "${pid[$p]}" syscw)
    done
    sleep "$SECONDS_MEASURED"
    local -A cpu bytes writes
    for p in "${!pid[@]}"; do
        cpu[$p]=$(($(cpu_ns "${pid[$p]}") - cpu0[$p]))
        bytes[$p]=$(($(io_field "${pid[$p]}" wchar) - bytes0[$p]))
        writes[$p]=$(($(io_field "${pid[$p]}" syscw) - writes0[$p]))
    done
    # The frame counts of all programs in one window of TRACE_SECONDS.
    for p in "${!pid[@]}"; do
        sleeps "${pid[$p]}" "$work/$p.frames" &
    done
    wait
    for p in "${!pid[@]}"; do
        awk -v p="$p" -v cpu="${cpu[$p]}" -v bytes="${bytes[$p]}" -v writes="${writes[$p]}" \
            -v frames="$(cat "$work/$p.frames")" -v s="$SECONDS_MEASURED" -v t="$TRACE_SECONDS" \
            -v rss="$(peak_kib "${pid[$p]}")" 'BEGIN {
                fps = frames / t
                printf "%s %.4f %.0f %.2f %.2f %.1f\n", p, cpu / 1e9 * 10 / s, bytes / s,
                    (fps > 0 ? writes / (fps * s) : 0), fps, rss / 1024 }'
    done
    tmux_cmd kill-server >/dev/null 2>&1 || true
}

# The ratios of one run: "ratio PROGRAM OTHER VALUE" for gorv and base over the others.
ratios() {
    awk '{ c[$1] = $2 } END {
        split("gorv base", mine, " ")
        split("cmatrix floor base", others, " ")
        for (i in mine) for (j in others) {
            m = mine[i]; o = others[j]
            if (m != o && (m in c) && (o in c) && c[o] > 0) print "ratio", m, o, c[m] / c[o]
        }
    }'
}

# The median ratio of PROGRAM over OTHER in the results of a case.
ratio() { awk -v m="$1" -v o="$2" '$1 == "ratio" && $2 == m && $3 == o { print $4 }' "$work/results" | median; }

cases=(
    "40 12 -s rain --speed fast --bare"
    "80 24 -s rain --speed fast --bare"
    "200 60 -s rain --speed fast --bare"
    "320 96 -s rain --speed fast --bare"
    "80 24 --bare"
)
printf '%-34s %-8s %8s %10s %9s %7s %8s %8s %7s %6s\n' \
    case program cpu_s bytes/s writes/f fps rss_mib /cmatrix /floor /base
for case in "${cases[@]}"; do
    [[ $case =~ $CASE_FILTER ]] || continue
    read -r w h args <<<"$case"
    record "$w" "$h" "$args"
    : >"$work/results"
    for _ in $(seq "$RUNS"); do
        run_once "$w" "$h" "$args" >"$work/run"
        cat "$work/run" >>"$work/results"
        ratios <"$work/run" >>"$work/results"
        printf . >&2
    done
    echo >&2
    for p in gorv base cmatrix floor; do
        grep -q "^$p " "$work/results" || continue
        cols=()
        for f in 2 3 4 5 6; do cols+=("$(awk -v p="$p" -v f="$f" '$1 == p { print $f }' "$work/results" | median)"); done
        shown=()
        for o in cmatrix floor base; do
            r=$(ratio "$p" "$o")
            shown+=("$([[ -n $r ]] && printf '%.2f' "$r" || echo -)")
        done
        printf '%-34s %-8s %8.3f %10.0f %9.2f %7.1f %8.1f %8s %7s %6s\n' "${w}x${h} ${args}" "$p" \
            "${cols[@]}" "${shown[@]}"
    done
    rm -f "$work/record"
done
