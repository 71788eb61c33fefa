#!/usr/bin/env bash
# The generated bash completion: no finding of shellcheck, and run by bash with
# bash-completion loaded, the completions of a table of command lines and of the tree.
# Arguments: the completion file, the tree listing program.
completion=$1 listing=$2
source "$(dirname "$0")/completion_lib.sh"

bash_completion=/usr/share/bash-completion/bash_completion
if [[ ! -r $bash_completion ]]; then
    echo "bash-completion is not installed"
    exit 77
fi
source "$bash_completion"
source "$completion"

if ! command -v shellcheck >/dev/null; then
    echo "shellcheck is not installed"
    exit 77
fi
findings=$(shellcheck -s bash "$completion" 2>&1) || {
    echo "FAIL: shellcheck finds:"
    echo "$findings"
    failures=$((failures + 1))
}

# Splits LINE as bash does before calling a completion function: at blanks outside
# quotes, with "=" as a word of its own (it is in COMP_WORDBREAKS).
complete_line() {
    local line=$1 word
    local -a words=()
    read -ra pieces <<<"$line"
    for word in "${pieces[@]}"; do
        if [[ $word == -*=* ]]; then
            words+=("${word%%=*}" "=" "${word#*=}")
        else
            words+=("$word")
        fi
    done
    [[ $line == *' ' ]] && words+=("")
    COMP_WORDS=("${words[@]}")
    COMP_CWORD=$((${#words[@]} - 1))
    COMP_LINE=$line
    COMP_POINT=${#line}
    COMPREPLY=()
    _gorv gorv "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    printf '%s\n' "${COMPREPLY[@]}"
}

expect_common
expect "gorv --color=re" red
expect "gorv --accents=bold," bold,bright bold,dim bold,pulse
expect "gorv --acc " bold bright dim pulse
expect "gorv -a -" -c -s -m -a -t -v -u -h --color --style --mode --accents --time --speed \
    --bare --debug --version --usage --help
expect "gorv -ta " version usage help
expect_tree "$listing"
finish bash_completion
