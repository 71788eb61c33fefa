#!/usr/bin/env bash
# The generated fish completion, run by fish: complete -C prints what fish offers for a
# command line, one completion per line with its description after a tab.
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

expect_common
expect "gorv --color=re" --color=red
expect "gorv --accents=bold," --accents=bold,bright --accents=bold,dim --accents=bold,pulse
expect_tree "$listing"
finish fish_completion
