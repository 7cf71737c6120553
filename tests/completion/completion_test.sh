#!/usr/bin/env bash
# Drives the shipped completions in the real shells.
# Usage: completion_test.sh bash|zsh|tcsh|fish VOK_BINARY SOURCE_DIR
# bash: the completion function is called as bash's completion would call
# it; zsh (with compinit in a private ZDOTDIR), tcsh and fish run
# interactively in a private tmux server and get Tab typed at them. Exits 77 (skipped) when
# the shell or tmux is missing.
set -uo pipefail
shell=$1
vok=$(realpath "$2")
src=$(realpath "$3")

work=$(mktemp -d "${TMPDIR:-/tmp}/vok-completion-XXXXXX")
trap 'tmux -S "$work/tmux" kill-server 2>/dev/null; rm -rf "$work"' EXIT
mkdir -p "$work/bin" "$work/home" "$work/w/alpha" "$work/w/beta" "$work/w/bet a" \
  "$work/t/project/src/main" "$work/t/pro x" "$work/t/it's"
touch "$work/w/gamma"
ln -s "$vok" "$work/bin/vok"
printf 'StartDir = "%s"\n[work]\n[home_2]\n' "$work/t" >"$work/home/conf"
export PATH="$work/bin:$PATH" HOME="$work/home" VOK_CONFIG="$work/home/conf"
export VOK_TEMP="$work/home/newdir" VOK_DIRTREE="$work/home/tree.gz" VOK_BOOKMARK="$work/home/bm"
# The saved tree the patterns complete from.
vok -rfq >/dev/null || exit 1
cd "$work/w" || exit 1

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

if [ "$shell" = bash ]; then
  # The profile "work" has an alias of its own, "home_2" none.
  alias work=:
  # shellcheck source=/dev/null
  source "$src/completions/vok.bash"
  [ "$(complete -p vok)" = "complete -F _vok vok" ] || fail "not registered: $(complete -p vok)"
  [ "$(complete -p work)" = "complete -F _vok work" ] || fail "work not registered"
  complete -p home_2 2>/dev/null && fail "home_2 registered"
  # The words of the command line, the last one being completed; prints the
  # offers sorted, one per line.
  offers() {
    COMP_WORDS=("$@")
    COMP_CWORD=$(($# - 1))
    COMPREPLY=()
    _vok
    printf '%s\n' "${COMPREPLY[@]}" | sort | paste -sd' '
  }
  check() {
    local expected=$1
    shift
    local got
    got=$(offers "$@")
    [ "$got" = "$expected" ] || fail "[$*] offered '$got', expected '$expected'"
  }
  check 'home_2 vok work' vok -p ''
  check 'work' vok -p w
  check '--config --configattr' vok --con
  check '-t -tr' vok -t
  check 'alpha bet a beta' vok -t ''
  check 'bet a beta' vok -tr be
  check 'alpha' vok -rfp al
  check 'alpha' vok -r -rqp a
  check 'bet a beta' vok -ba alpha b
  check 'alpha bet a beta' vok -p work -br ''
  check 'alpha' vok -ias a
  check '' vok al
  check 'pro\ x project' vok pr
  check 'project/src' work project/s
  check "it\\'s" vok "it\\'"
  check 'pro\ x' vok -B '"pro '
  check '' vok -- -p
  check 'src' vok -B sr
  check '' vok -p work -p
  check '-p' vok -p
  # Every option the help lists is offered.
  all=$(offers vok -)
  for option in $({ "$vok" --help; "$vok" --helpinst; } | grep -o -- ' -[-a-zA-Z]\+' | sort -u); do
    case " $all " in *" $option "*) ;; *) fail "option $option is not offered" ;; esac
  done
else
  command -v "$shell" >/dev/null && command -v tmux >/dev/null || exit 77
  t() { tmux -S "$work/tmux" "$@"; }
  # Types the line and a Tab; waits up to ten seconds for the last screen
  # line to become the expected one.
  # A fresh prompt first: keys typed while the shell is still handling the
  # C-c before them can be lost on a loaded machine.
  check() {
    local typed=$1 expected=$2 line=
    t send-keys C-c
    for _ in $(seq 100); do
      [ "$(t capture-pane -p | grep -v '^$' | tail -1)" = '>' ] && break
      sleep 0.1
    done
    t send-keys -l "$typed"
    t send-keys Tab
    for _ in $(seq 100); do
      line=$(t capture-pane -p | grep -v '^$' | tail -1)
      [ "$line" = "$expected" ] && return
      sleep 0.1
    done
    fail "typed '$typed', screen shows '$line', expected '$expected'"
  }
  environment="TERM=screen PATH=$PATH HOME=$HOME VOK_CONFIG=$VOK_CONFIG VOK_TEMP=$VOK_TEMP \
    VOK_DIRTREE=$VOK_DIRTREE VOK_BOOKMARK=$VOK_BOOKMARK"
  if [ "$shell" = zsh ]; then
    mkdir -p "$work/z"
    cat >"$work/z/.zshrc" <<ZSHRC
fpath=($src/completions \$fpath)
autoload -U compinit
compinit -u -d $work/z/.zcompdump
eval "\$(vok -if)"
PS1='> '
ZSHRC
    t -f /dev/null new-session -d -x 120 -y 30 "env -i $environment ZDOTDIR=$work/z zsh -i"
  elif [ "$shell" = fish ]; then
    # The functions as config.fish would get them, and with them the place
    # of the completion, which the program names (here the source's, as
    # though installed under a prefix fish never looks in); nothing else on
    # the line but the text.
    mkdir -p "$work/f"
    cat >"$work/f/init.fish" <<FISHRC
set -g fish_greeting
set -g fish_autosuggestion_enabled 0
function fish_prompt; echo -n '> '; end
vok -ifish | source
FISHRC
    t -f /dev/null new-session -d -x 120 -y 30 \
      "env -i $environment VOK_TEST_FISH_COMPLETIONS=$src/completions fish --no-config -C 'source $work/f/init.fish'"
  else
    cat >"$HOME/.tcshrc" <<TCSHRC
eval "\`vok -ic\`"
source $src/completions/vok.tcsh
set prompt='> '
TCSHRC
    t -f /dev/null new-session -d -x 120 -y 30 "env -i $environment tcsh -i"
  fi
  for _ in $(seq 100); do
    t capture-pane -p | grep -q '^> ' && break
    sleep 0.1
  done
  check 'vok -p w' '> vok -p work'
  check 'vok --configa' '> vok --configattr'
  check 'vok -t al' '> vok -t alpha/'
  check 'vok -rfp al' '> vok -rfp alpha/'
  check 'vok -ba alpha bet\ ' '> vok -ba alpha bet\ a/'
  check 'vok -p work -tr al' '> vok -p work -tr alpha/'
  check 'vok -p h' '> vok -p home_2'
  check 'vok proj' '> vok project'
  # tcsh takes a list of words: names with blanks are left out there.
  [ "$shell" = tcsh ] || check 'vok pro\ ' '> vok pro\ x'
  check 'work project/s' '> work project/src'
  if [ "$shell" = zsh ]; then
    # zsh completes an alias as the command it stands for unless told not to.
    t send-keys C-c 'unfunction vok; setopt complete_aliases; eval "$(vok -ia)"; clear' Enter
    check 'vok -p w' '> vok -p work'
    check 'vok -T' '> vok -T'
  fi
fi

[ "$failures" -eq 0 ] || exit 1
echo "all $shell completion checks passed"
