# zsh_capture.zsh FOLDER DUMP LINE: prints every match that zsh's completion system, with
# the completion functions of FOLDER first in fpath, offers for LINE typed at an
# interactive prompt and completed with Tab; each with its ignored prefix (as --color=
# in --color=red), one per line. DUMP is compinit's dump file, made by the first call
# and read by the later ones.
zmodload zsh/zpty || exit 1
folder=$1 dump=$2 line=$3
end=$'\x02\x04\x03'

zpty capture zsh -f -i
zpty -w capture "PS1='' PS2='' RPS1=''; unset zle_bracketed_paste"
zpty -w capture "fpath=(${(q)folder} \$fpath); autoload -Uz compinit; compinit -u -C -d ${(q)dump}"
# Every match goes to the terminal between \x02 and \x03 instead of into a listing.
zpty -w capture 'compadd() {
    if [[ ${@[1,(i)(-|--)]} == *-(O|A|D)\ * ]]; then builtin compadd "$@"; return; fi
    local -a matches
    builtin compadd -A matches "$@"
    local match
    for match in $matches; do print -rn -- $'"'"'\x02'"'"'"$IPREFIX$match"$'"'"'\x03'"'"'; done
}'
# zpty -r reads whole lines, so the end mark ends one.
zpty -w capture 'captured() { print -r -- $'"'"'\x02\x04\x03'"'"'; }; zle -N captured; bindkey "^T" captured'
zpty -w -n capture "$line"$'\t\x14'

output=""
while zpty -r capture chunk; do
    output+=$chunk
    [[ $output == *$end* ]] && break
done
zpty -d capture
output=${output%%$end*}
for match in ${(ps:\x03:)output}; do
    [[ $match == *$'\x02'* ]] && print -r -- ${match##*$'\x02'}
done
:
