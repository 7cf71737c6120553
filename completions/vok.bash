# bash completion for vok                                  -*- shell-script -*-
# Installed as bash-completion/completions/vok, or source it from ~/.bashrc.

# Profile names as "vok --profiles" lists them, indented, without "*".
# "command" keeps the user's alias named vok out of the way; no input, so
# that a configuration with errors cannot wait for Enter.
_vok_profiles() {
    command vok --profiles 2>/dev/null </dev/null |
        sed -n 's/^     \(.*\)$/\1/p' | grep -vx '\*'
}

# The word as the shell will pass it: backslashes and quotes removed.
_vok_dequote() {
    local word=$1 out= quote= c
    while [[ -n $word ]]; do
        c=${word:0:1} word=${word:1}
        if [[ $quote == "'" ]]; then
            [[ $c == "'" ]] && quote= || out+=$c
        elif [[ $c == '\' && -n $word ]]; then
            out+=${word:0:1} word=${word:1}
        elif [[ $c == "'" || $c == '"' ]] && [[ -z $quote || $quote == "$c" ]]; then
            [[ $quote ]] && quote= || quote=$c
        else
            out+=$c
        fi
    done
    printf '%s' "$out"
}

# What "vok --complete" offers for the word (the text before each tab), for
# the profile the command line names.
_vok_complete() {
    local profile=$1 word=$2 dashes=${3-} line
    local -a lines
    mapfile -t lines < <(command vok ${profile:+-p "$profile"} --complete $dashes \
        "$(_vok_dequote "$word")" 2>/dev/null </dev/null)
    for line in "${lines[@]}"; do
        [[ $line == ... ]] && continue
        printf -v line '%q' "${line%%$'\t'*}"
        COMPREPLY+=("$line")
    done
}

_vok() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
    local first=1 i profile=
    COMPREPLY=()

    # A profile's own command (alias work='. vokscr -p work') is its profile.
    [[ ${COMP_WORDS[0]##*/} != vok ]] && profile=${COMP_WORDS[0]}

    # -p NAME may only come first.
    if [[ ${COMP_WORDS[1]} == -p ]]; then
        if ((COMP_CWORD == 2)); then
            local IFS=$'\n'
            COMPREPLY=($(compgen -W "$(_vok_profiles)" -- "$cur"))
            return
        fi
        first=3
        profile=${COMP_WORDS[2]-}
    fi

    # Options that take a directory, and the bookmark options that take any
    # number of them.
    local wants_dir=
    case $prev in
        -t | -tr | -ias | -ics | -ifs | -r*p*) wants_dir=1 ;;
    esac
    for ((i = first; i < COMP_CWORD; i++)); do
        case ${COMP_WORDS[i]} in -ba | -br) wants_dir=1 ;; esac
    done
    if [[ $wants_dir ]]; then
        compopt -o filenames 2>/dev/null
        local IFS=$'\n'
        COMPREPLY=($(compgen -d -- "$cur"))
        return
    fi

    # A pattern: the saved tree's names. After "--" it may begin with '-'.
    for ((i = first; i < COMP_CWORD; i++)); do
        if [[ ${COMP_WORDS[i]} == -- ]]; then
            _vok_complete "$profile" "$cur" --
            return
        fi
    done
    # Otherwise a word that begins with '-' is an option; "-p" only first.
    _vok_complete "$profile" "$cur"
    ((COMP_CWORD == 1)) && [[ $cur == -* && "-p" == "$cur"* ]] && COMPREPLY+=(-p)
}

complete -F _vok vok
# The profiles' own commands complete from their trees; only those that are
# aliases or functions now, so that no command of the shell's is taken over.
for _vok_name in $(_vok_profiles); do
    if [[ $_vok_name != vok ]] && { alias "$_vok_name" || declare -F "$_vok_name"; } >/dev/null 2>&1; then
        complete -F _vok "$_vok_name"
    fi
done
unset _vok_name
