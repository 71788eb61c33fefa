#!/usr/bin/env bash
# gorv's cost on a real terminal, side by side with cmatrix -b when it is installed
# (apt-get install cmatrix): both run at the same time, each in its own window of the same
# size in a private tmux server, with TERM=tmux-256color. Not part of the tests.
#
#   benchmarks/terminal_benchmark.sh [GORV [SECONDS [RUNS [CASE]]]]
#
# GORV defaults to build/gorv, SECONDS (the measured window) to 10, RUNS to 5; CASE, a
# regular expression, keeps only the cases whose line below matches it. Cases:
# -s rain --speed fast --bare at 80x24 and 200x60, and the default style (--bare) at 80x24.
# Figures are medians over the runs:
#
#   cpu_s      CPU seconds of all the program's threads per 10 s (schedstat of each task)
#   bytes/s    bytes written per second (wchar of /proc/PID/io: all the program writes)
#   writes/f   write calls (syscw of /proc/PID/io) per frame
#   fps        frames per second: the frame loops' sleeps, one a frame, counted by strace
#              in a window of its own after the measured one (strace slows the program, so
#              it does not run while CPU is measured)
#   rss_mib    peak resident memory (VmHWM)
#   ratio      gorv's cpu_s over cmatrix's in the same run
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
GORV=$(realpath "${1:-$here/../build/gorv}")
SECONDS_MEASURED=${2:-10}
RUNS=${3:-5}
CASE_FILTER=${4:-.}
WARM_UP=3
TRACE_SECONDS=5
CMATRIX=$(command -v cmatrix || true)
command -v strace >/dev/null || { echo "needs strace (apt-get install strace)"; exit 2; }
[[ -x $GORV ]] || { echo "no gorv at $GORV"; exit 2; }

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

cpu_ns() { # all threads, nanoseconds on the CPU
    local total=0 t
    for t in /proc/"$1"/task/*/schedstat; do
        read -r on _ <"$t" && total=$((total + on))
    done
    echo "$total"
}
io_field() { awk -v f="$2:" '$1 == f { print $2 }' /proc/"$1"/io; }
peak_kib() { awk '$1 == "VmHWM:" { print $2 }' /proc/"$1"/status; }
sleeps() { # clock_nanosleep and nanosleep calls in TRACE_SECONDS
    timeout -s INT "$TRACE_SECONDS" strace -f -qq -c --seccomp-bpf -o "$work/trace" \
        -e trace=clock_nanosleep,nanosleep -p "$1" >/dev/null 2>&1 || true
    awk '$NF ~ /nanosleep$/ { n += $4 } END { print n + 0 }' "$work/trace"
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

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# One run: prints "program cpu_s bytes_per_s writes_per_frame fps rss_mib" per program.
run_once() {
    local w=$1 h=$2 args=$3
    tmux_cmd kill-server >/dev/null 2>&1 || true
    rm -f "$work"/*.pid
    tmux_cmd start-server \; set -g default-terminal tmux-256color \; set -g history-limit 0
    local -A pid
    pid[gorv]=$(start gorv "$w" "$h" "$GORV" "$args")
    [[ -n $CMATRIX ]] && pid[cmatrix]=$(start cmatrix "$w" "$h" "$CMATRIX" -b)
    sleep "$WARM_UP"
    local -A cpu0 bytes0 writes0
    local p
    for p in "${!pid[@]}"; do
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
    for p in "${!pid[@]}"; do
        local frames
        frames=$(sleeps "${pid[$p]}")
        awk -v p="$p" -v cpu="${cpu[$p]}" -v bytes="${bytes[$p]}" -v writes="${writes[$p]}" \
            -v frames="$frames" -v s="$SECONDS_MEASURED" -v t="$TRACE_SECONDS" \
            -v rss="$(peak_kib "${pid[$p]}")" 'BEGIN {
                fps = frames / t
                printf "%s %.4f %.0f %.2f %.2f %.1f\n", p, cpu / 1e9 * 10 / s, bytes / s,
                    (fps > 0 ? writes / (fps * s) : 0), fps, rss / 1024 }'
    done
    tmux_cmd kill-server >/dev/null 2>&1 || true
}

printf '%-34s %-8s %8s %10s %9s %7s %8s %7s\n' case program cpu_s bytes/s writes/f fps rss_mib ratio
for case in "80 24 -s rain --speed fast --bare" "200 60 -s rain --speed fast --bare" "80 24 --bare"; do
    [[ $case =~ $CASE_FILTER ]] || continue
    read -r w h args <<<"$case"
    : >"$work/results"
    for _ in $(seq "$RUNS"); do
        run_once "$w" "$h" "$args" | tee -a "$work/results" | awk '{ printf "." }' >&2
        # The ratio of this run, from the two programs measured side by side.
        if [[ -n $CMATRIX ]]; then
            awk '{ c[$1] = $2 } END { if (c["cmatrix"] > 0) print "ratio", c["gorv"] / c["cmatrix"] }' \
                <(tail -n 2 "$work/results") >>"$work/results"
        fi
    done
    echo >&2
    ratio=$(awk '$1 == "ratio" { print $2 }' "$work/results" | median)
    for p in gorv cmatrix; do
        grep -q "^$p " "$work/results" || continue
        cols=()
        for f in 2 3 4 5 6; do cols+=("$(awk -v p="$p" -v f="$f" '$1 == p { print $f }' "$work/results" | median)"); done
        printf '%-34s %-8s %8.3f %10.0f %9.2f %7.1f %8.1f %7s\n' "${w}x${h} ${args}" "$p" "${cols[@]}" \
            "$([[ $p == gorv && -n $CMATRIX ]] && printf '%.2f' "$ratio" || echo -)"
    done
done
