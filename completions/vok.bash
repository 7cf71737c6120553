# bash completion for vok                                  -*- shell-script -*-
# Installed as bash-completion/completions/vok, or source it from ~/.bashrc.

_vok_options() {
    printf '%s\n' -b -ba -br -B --config --configattr --features -h --help \
        --helpinst -ia -ic -if -ifish -ias -ics -ifs -M --profiles -r -rf -rp -rq \
        -rQ -rfq -t -tr -T -v --version
}

# Profile names as "vok --profiles" lists them, indented, without "*".
# "command" keeps the user's alias named vok out of the way.
_vok_profiles() {
    command vok --profiles 2>/dev/null |
        sed -n 's/^     \(.*\)$/\1/p' | grep -vx '\*'
}

_vok() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
    local first=1 i
    COMPREPLY=()

    # -p NAME may only come first.
    if [[ ${COMP_WORDS[1]} == -p ]]; then
        if ((COMP_CWORD == 2)); then
            local IFS=$'\n'
            COMPREPLY=($(compgen -W "$(_vok_profiles)" -- "$cur"))
            return
        fi
        first=3
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

    if [[ $cur == -* ]]; then
        local options
        options=$(_vok_options)
        ((COMP_CWORD == 1)) && options+=$'\n-p'
        local IFS=$'\n'
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
    fi
    # A pattern is matched against the saved tree by vok itself; there is
    # nothing to offer for it here.
}

complete -F _vok vok
