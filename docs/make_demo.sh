#!/usr/bin/env bash
# Makes docs/gorv-rain.svg, the moving picture at the top of the README, from a real run:
# gorv -s rain -c green in a private tmux pane, recorded by asciinema, from the opening
# until the rain has filled the screen, turned into an animated SVG by svg-term-cli (from
# npm), and then given a calm end: the last frame holds, then fades out to the blank
# screen on which the loop starts again.
#
#   docs/make_demo.sh [GORV] [OUTPUT]
#
# GORV is the program to record (build/gorv by default), OUTPUT the picture
# (docs/gorv-rain.svg). Needs tmux and asciinema (Debian packages), perl and npx; set
# SVG_TERM to an installed svg-term to use it instead of npx's copy of svg-term-cli 2.1.1.
set -euo pipefail
cd "$(dirname "$0")/.."
gorv=$(realpath "${1:-build/gorv}")
output=${2:-docs/gorv-rain.svg}
columns=64
rows=16
seconds=9 # the opening takes one of them
hold=1.5  # seconds the last frame stays
fade=1    # seconds it takes to fade out

for tool in tmux asciinema perl; do
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
"${svg_term[@]}" --in "$work/run.cast" --out "$work/strip.svg" --width "$columns" \
    --height "$rows" --no-cursor --window --to "$(((seconds - 1) * 1000))"

# svg-term-cli lays the frames side by side, each as wide as the screen, in one strip
# that an animation moves to the left; a glyph of the last column is a little wider than
# its cell and would show at the left edge of the next frame. The frames are spread
# apart by a gap, and the animation gets its hold and its fade.
cat >"$work/film.pl" <<'PERL'
use strict;
use warnings;
my ($columns, $gap, $hold, $fade) = @ENV{qw(COLUMNS GAP HOLD FADE)};
my $stride = $columns + $gap;
local $/;
my $svg = <STDIN>;

sub spread {
    my ($x) = @_;
    die "make_demo.sh: a frame at $x\n" if $x % $columns;
    return $x / $columns * $stride;
}
my $frames = $svg =~ s/<svg x="(\d+)">/'<svg x="' . spread($1) . '">'/ge;
die "make_demo.sh: no frames\n" unless $frames;
$svg =~ s/<svg width="(\d+)">/'<svg width="' . spread($1) . '">'/e or die "make_demo.sh: no strip\n";
$svg =~ s/translateX\(-(\d+)px\)/'translateX(-' . spread($1) . 'px)'/ge;

# The strip moves for `recorded` seconds, then holds its last frame and fades out.
my $timing = 'animation-duration:([\d.]+)s;animation-iteration-count:infinite;'
  . 'animation-name:i;animation-timing-function:steps\(1,end\)';
$svg =~ /$timing/ or die "make_demo.sh: no animation\n";
my $recorded = $1;
my $total = $recorded + $hold + $fade;
$svg =~ s/$timing/animation-duration:${total}s;animation-iteration-count:infinite;animation-name:i,f;animation-timing-function:steps(1,end),linear/;

$svg =~ /\@keyframes i\{((?:(?:[\d.]+%|to)\{[^{}]*\})+)\}/ or die "make_demo.sh: no keyframes\n";
my ($keyframes, $steps) = ($&, $1);
my ($moves, $last) = ('', '');
while ($steps =~ /([\d.]+%|to)\{([^{}]*)\}/g) {
    my $percent = $1 eq 'to' ? 100 : substr($1, 0, -1);
    $last = $2;
    $moves .= sprintf('%.3f%%{%s}', $percent * $recorded / $total, $last);
}
my $film = sprintf('@keyframes i{%sto{%s}}@keyframes f{0%%,%.3f%%{opacity:1}to{opacity:0}}',
                   $moves, $last, 100 * ($recorded + $hold) / $total);
$svg =~ s/\Q$keyframes\E/$film/;
print $svg;
PERL
GAP=16 HOLD=$hold FADE=$fade COLUMNS=$columns perl "$work/film.pl" <"$work/strip.svg" >"$output"
echo "$output: $(stat -c %s "$output") bytes"
