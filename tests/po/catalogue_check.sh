#!/usr/bin/env bash
# Checks the message catalogue template po/vok.pot:
#  - up to date: extracting the texts again gives the same template (the
#    creation date aside);
#  - complete: every text the program looks up while the unit, end-to-end
#    and terminal test suites run is in it (a preloaded gettext logs them).
# Usage: tests/po/catalogue_check.sh BUILD_DIR   (a normal, unsanitized build)
set -euo pipefail
cd "$(dirname "$0")/../.."
build=$(realpath "$1")
work=$(mktemp -d "${TMPDIR:-/tmp}/vok-catalogue-XXXXXX")
trap 'cp "$work/vok.pot" po/vok.pot 2>/dev/null; rm -rf "$work"' EXIT
status=0

cp po/vok.pot "$work/vok.pot"
cmake --build "$build" --target pot >/dev/null
if ! diff <(grep -v '^"POT-Creation-Date:' "$work/vok.pot") \
          <(grep -v '^"POT-Creation-Date:' po/vok.pot) >"$work/diff"; then
  echo "po/vok.pot is out of date; run: cmake --build build --target pot"
  cat "$work/diff"
  status=1
fi

# The msgids of a .pot file, one per line, as escaped in the file.
msgids() {
  awk '/^msgid "/ { id = substr($0, 8, length($0) - 8); inid = 1; next }
       /^"/ && inid { id = id substr($0, 2, length($0) - 2); next }
       inid { if (id != "") print id; inid = 0 }' "$1" | sort -u
}

cc -shared -fPIC -O2 -o "$work/gettext_log.so" tests/po/gettext_log.c -ldl
# Some tests run the program as another user, who must be able to load it
# and write the log.
chmod 755 "$work"
touch "$work/looked-up"
chmod 666 "$work/looked-up"
export VOK_TEXT_LOG=$work/looked-up
for suite in vok_unit_tests vok_e2e_tests vok_term_tests vok_tmux_tests; do
  LD_PRELOAD=$work/gettext_log.so "$build/tests/$suite" >"$work/$suite.log" 2>&1 || {
    echo "$suite failed while logging the texts:"
    tail -20 "$work/$suite.log"
    status=1
  }
done
sort -u "$VOK_TEXT_LOG" >"$work/used"
msgids po/vok.pot >"$work/known"
missing=$(comm -23 "$work/used" "$work/known")
if [ -n "$missing" ]; then
  echo "texts looked up but missing from po/vok.pot:"
  printf '%s\n' "$missing"
  status=1
fi
echo "catalogue: $(wc -l <"$work/known") texts in po/vok.pot, $(wc -l <"$work/used") looked up by the tests"
exit $status
