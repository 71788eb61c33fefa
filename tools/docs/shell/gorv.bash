# The hand-written part of gorv's bash completion. gorv_docs writes before it the
# functions that describe the command tree: _gorv_subcommand, _gorv_subcommands,
# _gorv_options, _gorv_long_names, _gorv_short_name, _gorv_argument and
# _gorv_complete_argument.

# The long name of the option that WORD names in COMMAND. Long names may be shortened as
# the program allows. A group of short letters counts by its last letter, and by none
# when an earlier letter takes the rest of the group as its argument.
_gorv_option_name() {
    local command=$1 word=$2 name j
    case $word in
        *=*) return 1 ;;
        --?*)
            word=${word#--}
            for name in $(_gorv_long_names "$command"); do
                if [[ ${name:0:1} == "${word:0:1}" && $name == *"$word"* ]]; then
                    echo "$name"
                    return 0
                fi
            done
            return 1
            ;;
        -?*)
            word=${word#-}
            for ((j = 0; j < ${#word}; j++)); do
                name=$(_gorv_short_name "$command" "${word:j:1}") || return 1
                if ((j + 1 < ${#word})) && [[ $(_gorv_argument "$command" "$name") == required ]]; then
                    return 1
                fi
            done
            echo "$name"
            ;;
        *) return 1 ;;
    esac
}

# Completes $cur from the choices.
_gorv_choose() {
    mapfile -t COMPREPLY < <(compgen -W "$*" -- "$cur")
}

# Completes one more entry of a list in $cur: SEPARATORS, then the choices. The text up
# to the last separator stays; the choices given there already are not offered again.
_gorv_choose_more() {
    local separators=$1
    shift
    local given=${cur%"${cur##*["$separators"]}"}
    local -a used remaining=()
    IFS=$separators read -ra used <<<"$given"
    local choice
    for choice; do
        [[ " ${used[*]} " == *" $choice "* ]] || remaining+=("$choice")
    done
    mapfile -t COMPREPLY < <(compgen -P "$given" -W "${remaining[*]}" -- "${cur:${#given}}")
}

_gorv() {
    local cur prev words cword split
    _init_completion -s || return

    # The command that the words before the cursor select. An option takes the next word
    # as its argument unless that word starts with "-"; an argument never counts as a
    # sub-command.
    local command=gorv i word name next
    for ((i = 1; i < cword; i++)); do
        word=${words[i]}
        next=$(_gorv_subcommand "$command" "$word")
        if [[ -n $next ]]; then
            command=$next
        elif name=$(_gorv_option_name "$command" "$word") &&
            [[ $(_gorv_argument "$command" "$name") != none && ${words[i + 1]-} != -* ]]; then
            ((i++))
        fi
    done

    # The argument of the option before the cursor.
    if [[ $cur != -* ]] && name=$(_gorv_option_name "$command" "$prev") &&
        [[ $(_gorv_argument "$command" "$name") != none ]]; then
        # Readline completes a quoted word from after its opening quote.
        cur=${cur#[\"\']}
        _gorv_complete_argument "$command" "$name"
        return
    fi
    [[ $split == true ]] && return

    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$(_gorv_options "$command")" -- "$cur")
    else
        mapfile -t COMPREPLY < <(compgen -W "$(_gorv_subcommands "$command")" -- "$cur")
    fi
} &&
    complete -F _gorv gorv
