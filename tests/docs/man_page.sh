#!/usr/bin/env bash
# The built manual page: it formats without a single warning, and as man shows it, it has
# an entry for every option and sub-command that the program's help lists, and the
# sections a reader looks for.
# Arguments: the program, the manual page.
set -uo pipefail
gorv=$1 page=$2
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

for tool in groff mandoc man; do
    command -v "$tool" >/dev/null || { echo "$tool is not installed"; exit 77; }
done

warnings=$(groff -ww -z -man "$page" 2>&1) || fail "groff failed"
[[ -z $warnings ]] || fail "groff warns: $warnings"
lint=$(mandoc -T lint "$page" 2>&1) || fail "mandoc -T lint failed: $lint"
[[ -z $lint ]] || fail "mandoc warns: $lint"

# In the C locale man formats for plain ASCII, so "-" is "-" whatever the system's groff.
rendered=$(LC_ALL=C MANWIDTH=80 man -l "$page" 2>&1) || fail "man -l failed"
mapfile -t lines < <(sed 's/^ *//' <<<"$rendered")

# shows HEADING: some line of the page starts with HEADING, alone or followed by a blank.
shows() {
    local line
    for line in "${lines[@]}"; do
        [[ $line == "$1" || $line == "$1 "* ]] && return 0
    done
    return 1
}

# Every option of the help, as its usage line reads there without the two zero-width
# spaces that stand for a missing short name: a flag without its "<bool>", any other
# option with its type.
help=$("$gorv" --help) || fail "gorv --help failed"
mapfile -t help_lines <<<"$help"
options=0 subcommands=0 section=""
for ((i = 0; i < ${#help_lines[@]}; i++)); do
    line=${help_lines[i]}
    case $line in
        "    SUBCOMMANDS:") section=subcommands ;;
        "    OPTIONS:") section=options ;;
        "") section="" ;;
        "        "[A-Z]*:)
            [[ $section == options ]] || continue
            usage=${help_lines[i + 1]#"            "}
            usage=${usage//$'\u200b'/}
            usage=${usage% <bool>}
            usage=${usage/<[/[}
            usage=${usage/]>/]}
            usage=${usage/</}
            usage=${usage/>/}
            shows "$usage" || fail "no entry '$usage' on the page"
            options=$((options + 1))
            ;;
        "        "*:*)
            [[ $section == subcommands ]] || continue
            name=${line#"        "}
            name=${name%%:*}
            shows "$name" || fail "no entry for the sub-command '$name' on the page"
            subcommands=$((subcommands + 1))
            ;;
    esac
done
((options == 11)) || fail "read $options options from the help, not 11"
((subcommands == 3)) || fail "read $subcommands sub-commands from the help, not 3"

for heading in NAME SYNOPSIS DESCRIPTION OPTIONS COMMANDS "EXIT STATUS" ENVIRONMENT EXAMPLES \
    "SEE ALSO"; do
    grep -qx "$heading" <<<"$rendered" || fail "no section $heading"
done
for text in "0" "1" "128 + N" "TERM" "set -g lock-command 'gorv -s rain'" \
    "set -g lock-after-time 300" "blankerprg gorv -s rain" "idle 300 blanker" "TMOUT=300" \
    "TRAPALRM() { gorv -s rain }"; do
    shows "$text" || fail "no line '$text'"
done

if ((failures)); then
    echo "--- the page as man shows it:"
    echo "$rendered"
    exit 1
fi
echo "man_page: ok"
