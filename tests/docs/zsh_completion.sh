#!/usr/bin/env bash
# The generated zsh completion: valid zsh (zsh -n), and run by an interactive zsh on a
# pseudo-terminal of its own (zsh/zpty), whose completion system records every match it
# would offer.
# Arguments: the folder that holds _gorv, the tree listing program.
folder=$1 listing=$2
source "$(dirname "$0")/completion_lib.sh"

if ! command -v zsh >/dev/null; then
    echo "zsh is not installed"
    exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

syntax=$(zsh -n "$folder/_gorv" 2>&1) || {
    echo "FAIL: zsh -n finds:"
    echo "$syntax"
    failures=$((failures + 1))
}

complete_line() {
    timeout 20 zsh -f "$(dirname "$0")/zsh_capture.zsh" "$folder" "$work/zcompdump" "$1"
}

expect_common
expect "gorv --color=re" --color=red
expect "gorv --accents=bold," --accents=bold,bright --accents=bold,dim --accents=bold,pulse
expect_tree "$listing"
finish zsh_completion
