# completion_lib.sh: the cases shared by the shell completion tests. Source it from bash
# after defining complete_line LINE, which prints what the shell under test offers for
# the command line LINE with the cursor at its end, one completion per line.
#
#   expect LINE [WORD...]   the completions of LINE are exactly the WORDs, in any order
#   expect_common           the cases that every shell answers alike
#   expect_tree LISTING     for every command that the program LISTING prints (see
#                           tree_listing.cpp), "<path> -" completes to exactly its
#                           options and "<path> " to exactly its sub-commands
#   finish NAME             prints NAME: ok, or exits 1 after any failed case

failures=0

expect() {
    local line=$1
    shift
    local got want
    got=$(complete_line "$line" | sed '/^$/d' | sort -u | tr '\n' ' ')
    want=$(printf '%s\n' "$@" | sed '/^$/d' | sort -u | tr '\n' ' ')
    if [[ $got != "$want" ]]; then
        echo "FAIL: '$line' offers [$got], expected [$want]"
        failures=$((failures + 1))
    fi
}

expect_common() {
    expect "gorv --st" --style
    expect "gorv --sp" --speed
    expect "gorv -s " default columns crypto grid blocks rain
    expect "gorv --style " default columns crypto grid blocks rain
    expect "gorv -vs " default columns crypto grid blocks rain
    expect "gorv -c " default red green blue yellow magenta
    expect "gorv -m " binary decimal hexadecimal textual
    expect "gorv --speed " slow normal fast
    expect "gorv -t "
    expect "gorv -a " bold bright dim pulse
    # The argument of --accents may be left out: a following option is no argument.
    expect "gorv -a -s " default columns crypto grid blocks rain
    expect "gorv -a bold " version usage help
    expect "gorv --accents bold," bold,bright bold,dim bold,pulse
    expect "gorv --accents bold,dim," bold,dim,bright bold,dim,pulse
    expect "gorv -a bold,bright,dim,p" bold,bright,dim,pulse
    expect 'gorv --accents "dim;' "dim;bold" "dim;bright" "dim;pulse"
    expect "gorv ver" version
    expect "gorv " version usage help
    # An option's argument is never taken for a sub-command.
    expect "gorv -s version " version usage help
    expect "gorv version " usage help
    expect "gorv version -" -u -h --usage --help
    expect "gorv version usage "
}

expect_tree() {
    local path options subcommands
    local -a listing
    mapfile -t listing < <("$1") || return 1
    ((${#listing[@]})) || { echo "FAIL: $1 listed nothing"; failures=$((failures + 1)); }
    for entry in "${listing[@]}"; do
        IFS=$'\t' read -r path options subcommands <<<"$entry"
        # shellcheck disable=SC2086  # the words are meant to split
        expect "$path -" $options
        # shellcheck disable=SC2086
        expect "$path " $subcommands
    done
}

finish() {
    if ((failures)); then
        echo "$1: $failures failed"
        exit 1
    fi
    echo "$1: ok"
}
