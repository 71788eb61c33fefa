# The hand-written part of gorv's zsh completion. gorv_docs writes after it one function
# per command of the command tree, _gorv for the program itself, each a call of
# _arguments with the command's options.

# Completes one more entry of a list: compadd's options, "--", the separators, then the
# choices. The text up to the last separator stays; the choices given there already are
# not offered again.
(( $+functions[_gorv_choose_more] )) ||
_gorv_choose_more() {
    setopt localoptions extendedglob
    local -a expl choices used
    while (( $# )) && [[ $1 != -- ]]; do
        expl+=("$1")
        shift
    done
    shift
    local separators=$1
    shift
    choices=("$@")
    used=(${(s: :)${${PREFIX%%[^$separators]#}//[$separators]/ }})
    compset -P "*[$separators]"
    compadd "${expl[@]}" -- ${choices:|used}
}
