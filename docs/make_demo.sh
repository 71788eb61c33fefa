#!/usr/bin/env bash
# Makes docs/gorv-rain.svg, the moving picture at the top of the README, from a real run:
# gorv -s rain -c green in a private tmux pane, recorded by asciinema, from the opening to
# a few seconds of rain, then turned into an animated SVG by svg-term-cli (from npm).
#
#   docs/make_demo.sh [GORV] [OUTPUT]
#
# GORV is the program to record (build/gorv by default), OUTPUT the picture
# (docs/gorv-rain.svg). Needs tmux and asciinema (Debian packages) and npx; set SVG_TERM
# to an installed svg-term to use it instead of npx's copy of svg-term-cli 2.1.1.
set -euo pipefail
cd "$(dirname "$0")/.."
gorv=$(realpath "${1:-build/gorv}")
output=${2:-docs/gorv-rain.svg}
columns=64
rows=16
seconds=6 # the opening takes one of them

for tool in tmux asciinema; do
    command -v "$tool" >/dev/null || { echo "make_demo.sh: $tool is not installed" >&2; exit 1; }
done
svg_term=(npx --yes svg-term-cli@2.1.1)
[[ -n ${SVG_TERM-} ]] && svg_term=("$SVG_TERM")

work=$(mktemp -d)
server="gorv-demo-$$"
cleanup() {
    tmux -L "$server" kill-server >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT
export TMUX_TMPDIR=$work
unset TMUX TMUX_PANE

# The pane runs asciinema, which runs gorv; a key sent to the pane ends gorv.
tmux -L "$server" -f /dev/null start-server \; set -g status off \; \
    new-session -d -x "$columns" -y "$rows" \
    "asciinema rec -q --overwrite -c '$gorv -s rain -c green' '$work/run.cast';
     touch '$work/done'; sleep 60" </dev/null
sleep "$seconds"
tmux -L "$server" send-keys q
for _ in $(seq 100); do
    [[ -e $work/done ]] && break
    sleep 0.1
done
[[ -e $work/done ]] || { echo "make_demo.sh: the recording did not end" >&2; exit 1; }

# The picture ends before the key press, with the rain still on the screen.
"${svg_term[@]}" --in "$work/run.cast" --out "$output" --width "$columns" --height "$rows" \
    --no-cursor --window --to "$(((seconds - 1) * 1000))"
echo "$output: $(stat -c %s "$output") bytes"
