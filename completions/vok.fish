# fish completion for vok. Installed in fish/vendor_completions.d, where
# fish finds it the first time vok is completed.

# Profile names as "vok --profiles" lists them, indented, without "*".
# "command" runs the program, not the function of the same name.
function __vok_profiles
    command vok --profiles 2>/dev/null | string replace -rf '^     (.+)$' '$1' | string match -v '\*'
end

# Whether the word being completed is a directory: after -t, -tr, -ias,
# -ics, -ifs and a rescan option with p, and anywhere after -ba or -br.
function __vok_wants_directory
    set -l words (commandline -opc)
    set -q words[2]; or return 1
    string match -qr -- '^(-t|-tr|-ias|-ics|-ifs|-r[fqQ]*p[fpqQ]*)$' $words[-1]; and return 0
    contains -- -ba $words; or contains -- -br $words
end

function __vok_first_word
    test (count (commandline -opc)) -eq 1
end

# -p NAME may only come first.
function __vok_profile_name
    set -l words (commandline -opc)
    test (count $words) -eq 2; and test "$words[2]" = -p
end

# The saved tree's names that complete the current token, with their paths
# as descriptions; options instead for a token that begins with '-' before
# any "--". A profile's own function (it wraps vok) is its profile.
function __vok_patterns
    set -l words (commandline -opc)
    set -l token (commandline -ct | string unescape; or commandline -ct)
    set -l profile
    string match -qr -- '(^|/)vok$' $words[1]; or set profile -p $words[1]
    if test "$words[2]" = -p; and set -q words[3]
        set profile -p $words[3]
    end
    set -l dashes
    if contains -- -- $words
        set dashes --
    else if string match -q -- '-*' $token
        return
    end
    test -n "$token"; or return
    command vok $profile --complete $dashes $token 2>/dev/null </dev/null | string match -v -- ...
end

complete -c vok -f
complete -c vok -n 'not __vok_wants_directory' -x -a '(__vok_patterns)'
complete -c vok -n __vok_wants_directory -x -a '(__fish_complete_directories)'
complete -c vok -n __vok_first_word -o p -r -d 'use configuration profile NAME'
complete -c vok -n __vok_profile_name -x -a '(__vok_profiles)'
complete -c vok -n 'not __vok_wants_directory' -o b -d 'show the bookmarks matching PATTERN'
complete -c vok -n 'not __vok_wants_directory' -o ba -d 'bookmark directories'
complete -c vok -n 'not __vok_wants_directory' -o br -d 'remove directories from the bookmarks'
complete -c vok -n 'not __vok_wants_directory' -o B -d 'search the whole tree even when a bookmark matches'
complete -c vok -n 'not __vok_wants_directory' -l config -d 'show the configuration'
complete -c vok -n 'not __vok_wants_directory' -l configattr -d 'show the screen attributes'
complete -c vok -n 'not __vok_wants_directory' -l features -d 'show the features compiled in'
complete -c vok -n 'not __vok_wants_directory' -o h -l help -d 'show the help'
complete -c vok -n 'not __vok_wants_directory' -l helpinst -d 'show help about the shell set-up'
complete -c vok -n 'not __vok_wants_directory' -o ia -d 'print alias lines (bash, zsh, ksh)'
complete -c vok -n 'not __vok_wants_directory' -o ic -d 'print alias lines (tcsh)'
complete -c vok -n 'not __vok_wants_directory' -o if -d 'print function lines (POSIX shells)'
complete -c vok -n 'not __vok_wants_directory' -o ifish -d 'print the fish functions'
complete -c vok -n 'not __vok_wants_directory' -o ias -d 'print alias lines for vokscr in a directory'
complete -c vok -n 'not __vok_wants_directory' -o ics -d 'print tcsh alias lines for vokscr in a directory'
complete -c vok -n 'not __vok_wants_directory' -o ifs -d 'print function lines for vokscr in a directory'
complete -c vok -n 'not __vok_wants_directory' -o M -d 'do not scan the MountDir directories'
complete -c vok -n 'not __vok_wants_directory' -l profiles -d 'list the configuration profiles'
complete -c vok -n 'not __vok_wants_directory' -o r -d 'rescan the tree, reading only changed directories'
complete -c vok -n 'not __vok_wants_directory' -o rf -d 'rescan the whole tree'
complete -c vok -n 'not __vok_wants_directory' -o rp -d 'rescan the tree below a directory'
complete -c vok -n 'not __vok_wants_directory' -o rq -d 'rescan quietly'
complete -c vok -n 'not __vok_wants_directory' -o rQ -d 'rescan with progress lines'
complete -c vok -n 'not __vok_wants_directory' -o rfq -d 'rescan the whole tree quietly'
complete -c vok -n 'not __vok_wants_directory' -o t -d 'show a directory as a tree'
complete -c vok -n 'not __vok_wants_directory' -o tr -d 'rescan a directory, then show it as a tree'
complete -c vok -n 'not __vok_wants_directory' -o T -d 'show the whole tree'
complete -c vok -n 'not __vok_wants_directory' -o v -l version -d 'show the version'
