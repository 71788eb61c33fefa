# The hand-written part of gorv's fish completion. gorv_docs writes before it the
# functions that describe the command tree (__gorv_subcommand, __gorv_takes_argument and
# __gorv_choices), and after it the complete commands.

# Succeeds when the words before the cursor have reached the command PATH, such as
# "gorv version". An option takes the next word as its argument unless that word starts
# with "-"; an argument never counts as a sub-command.
function __gorv_command_is --argument-names path
    set -l reached gorv
    set -l argument 0
    for word in (commandline -opc)[2..]
        if test $argument = 1; and not string match -q -- '-*' $word
            set argument 0
            continue
        end
        set argument 0
        set -l next (__gorv_subcommand $reached $word)
        if test -n "$next"
            set reached $next
        else if __gorv_takes_argument $reached $word
            set argument 1
        end
    end
    test "$reached" = "$path"
end

# Prints one more entry of a list for the token under the cursor: SEPARATORS, then the
# choices, each with its description after a tab. The text up to the last separator
# stays; the choices given there already are not offered again.
function __gorv_choose_more --argument-names separators
    # The token as typed, without the option of an --option=value or an opening quote.
    set -l token (string replace -r -- '^-[^=]*=|^[\'"]' '' (commandline -ct))
    set -l given (string match -r -- "^.*[$separators]" $token)
    set -l used (string split -n -- ' ' (string replace -a -r -- "[$separators]" ' ' "$given"))
    for choice in $argv[2..]
        set -l value (string split -f 1 -- \t $choice)
        contains -- $value $used; or printf '%s%s\n' "$given" $choice
    end
end
