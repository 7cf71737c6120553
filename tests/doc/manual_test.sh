#!/usr/bin/env bash
# The manual page renders without a groff warning, at 80 columns without an
# overlong line, and documents every option, configuration command and
# environment variable the program knows.
# Usage: manual_test.sh VOK_BINARY SOURCE_DIR
set -uo pipefail
vok=$1 src=$2
page=$src/doc/vok.1
command -v groff >/dev/null || { echo "groff is not installed"; exit 77; }

# Even --help writes the new-directory file; keep every file of vok here.
work=$(mktemp -d "${TMPDIR:-/tmp}/vok-manual-XXXXXX")
trap 'rm -rf "$work"' EXIT
export VOK_TEMP=$work/newdir VOK_CONFIG=$work/conf VOK_DIRTREE=$work/tree.gz \
       VOK_BOOKMARK=$work/bookmarks

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

warnings=$(groff -man -Tutf8 -ww -z "$page" 2>&1)
[ -z "$warnings" ] || fail "groff warns: $warnings"

text=$(MANWIDTH=80 groff -man -Tutf8 -rLL=80n "$page" 2>/dev/null | sed 's/\x1b\[[0-9;]*m//g; s/.\x08//g')
long=$(printf '%s\n' "$text" | LC_ALL=C.UTF-8 grep -E '^.{81,}' | head -3)
[ -z "$long" ] || fail "lines over 80 columns: $long"

# Options, from the program's own help texts.
for option in $({ "$vok" --help; "$vok" --helpinst; } | grep -o -- ' -[-a-zA-Z]\+' | sort -u); do
  grep -q -- "$option\b" <<<"$text" || fail "option $option is not described"
done
# Configuration commands, from the program's displays and the sample file.
for command in $(grep -o '^#\?[A-Z][A-Za-z]* =' "$src/doc/vok.conf.example" | tr -d '#=' | sort -u); do
  grep -q "$command" <<<"$text" || fail "command $command is not described"
done
for variable in VOK_TEMP VOK_CONFIG VOK_DIRTREE VOK_BOOKMARK HOME IFS; do
  grep -q "$variable" <<<"$text" || fail "variable $variable is not described"
done
for status in 0 1 2 3 4 5 6 7 8; do
  grep -q "^       $status  *[a-z]" <<<"$text" || fail "exit status $status is not described"
done

[ "$failures" -eq 0 ] || exit 1
echo "the manual page is complete"
