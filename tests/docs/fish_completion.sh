#!/usr/bin/env bash
# The generated fish completion: valid fish (fish -n), and run by fish: complete -C prints
# what fish offers for a command line, one completion per line with its description after
# a tab; each value of an option has its own.
# Arguments: the completion file, the tree listing program.
completion=$1 listing=$2
source "$(dirname "$0")/completion_lib.sh"

if ! command -v fish >/dev/null; then
    echo "fish is not installed"
    exit 77
fi
# fish keeps its history and variables under the home folder.
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export HOME=$home XDG_CONFIG_HOME=$home/config XDG_DATA_HOME=$home/data

complete_line() {
    fish --no-config -c 'source $argv[1]; complete -C $argv[2]' "$completion" "$1" | cut -f1
}

syntax=$(fish --no-config -n "$completion" 2>&1) || {
    echo "FAIL: fish -n finds:"
    echo "$syntax"
    failures=$((failures + 1))
}

# expect_described LINE ENTRY...: LINE offers exactly the ENTRYs, each a completion, a
# tab and its description.
expect_described() {
    local line=$1 got want
    shift
    got=$(fish --no-config -c 'source $argv[1]; complete -C $argv[2]' "$completion" "$line" | sort)
    want=$(printf '%s\n' "$@" | sort)
    if [[ $got != "$want" ]]; then
        echo "FAIL: '$line' offers"$'\n'"$got"$'\n'"expected"$'\n'"$want"
        failures=$((failures + 1))
    fi
}

expect_common
expect "gorv --color=re" --color=red
expect "gorv --accents=bold," --accents=bold,bright --accents=bold,dim --accents=bold,pulse
# Each value has its own words, those of the manual page.
expect_described "gorv --style " \
    $'default\tEvery cell of the screen holds a symbol' \
    $'columns\tColumns of three symbols separated by one blank column' \
    $'crypto\tBlocks four symbols wide and two high' \
    $'grid\tSingle symbols with blank columns and rows between them' \
    $'blocks\tBlocks nine symbols wide and five high' \
    $'rain\tDrops of symbols fall down the columns'
expect_described "gorv --speed " \
    $'slow\tA frame about every 0.8 s in rain, 0.24 s otherwise' \
    $'normal\tA frame about every 0.12 s in rain, 0.08 s otherwise' \
    $'fast\tA frame about every 0.04 s'
expect_described "gorv -a dim," \
    $'dim,bold\tAbout half of the symbols are bold' \
    $'dim,bright\tAbout half of the symbols are bright' \
    $'dim,pulse\tAbout one symbol in 256 is drawn in reverse video, a sparse flicker'
expect_tree "$listing"
finish fish_completion
