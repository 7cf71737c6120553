#!/usr/bin/env bash
# Builds the Debian package from BUILD_DIR, checks it with lintian (no
# errors), installs it, uses the installed program through bash as a user
# would, removes it and checks that nothing is left behind. Needs root or
# sudo, since it installs into the system.
# Usage: tests/package/package_check.sh BUILD_DIR
set -euo pipefail
build=$(realpath "$1")
as_root=
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "package check skipped: needs root or sudo"; exit 0; }
  as_root=sudo
fi
if dpkg-query -W vok >/dev/null 2>&1; then
  echo "a package named vok is installed already; not touching it"
  exit 1
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/vok-package-XXXXXX")
trap 'rm -rf "$work"' EXIT

(cd "$build" && cpack -G DEB >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$build"/vok_*.deb)
echo "== $deb"
dpkg-deb -f "$deb" Depends
# lintian tells root that it should not run as root; that line is no finding.
findings=$(lintian --fail-on error "$deb" 2>&1) || lint_failed=1
printf '%s\n' "$findings" | grep -v 'running with root privileges' || true
[ -z "${lint_failed:-}" ] || { echo "lintian reports errors"; exit 1; }
for library in libncursesw6 zlib1g libtinfo6; do
  dpkg-deb -f "$deb" Depends | grep -q "$library" || { echo "no dependency on $library"; exit 1; }
done

# The places the package installs to; find fails on those that do not exist
# (yet, or any more), which is no failure here.
snapshot() {
  { find /usr/bin /usr/share/doc /usr/share/man/man1 /usr/share/bash-completion \
         /usr/share/zsh /usr/share/vok /etc /var/lib/dpkg/info -xdev 2>/dev/null || true; } | sort
}
snapshot >"$work/before"
$as_root dpkg -i "$deb" >/dev/null
for file in /usr/bin/vok /usr/bin/vokscr /usr/share/man/man1/vok.1.gz \
            /usr/share/doc/vok/vok.conf.example /usr/share/doc/vok/copyright \
            /usr/share/bash-completion/completions/vok /usr/share/zsh/vendor-completions/_vok \
            /usr/share/vok/vok.tcsh; do
  [ -e "$file" ] || { echo "$file is not installed"; exit 1; }
done

# A user's first steps: the printed alias line and a jump. The home
# directory comes from the user database, so the files are named outright.
mkdir -p "$work/home/tree/src/app" "$work/home/tree/doc"
printf 'StartDir = "%s"\n' "$work/home/tree" >"$work/home/vok.conf"
landed=$(cd "$work/home" && env -i PATH=/usr/bin:/bin HOME="$work/home" \
  VOK_CONFIG="$work/home/vok.conf" VOK_DIRTREE="$work/home/tree.gz" \
  VOK_BOOKMARK="$work/home/bookmarks" VOK_TEMP="$work/home/newdir" bash -c '
  shopt -s expand_aliases
  eval "$(vok -ia)"
  vok -rfq >/dev/null
  vok app >/dev/null
  pwd')
[ "$landed" = "$work/home/tree/src/app" ] || { echo "vok app landed in '$landed'"; exit 1; }
echo "installed vok jumped to $landed"

$as_root dpkg -r vok >/dev/null
snapshot >"$work/after"
if ! diff "$work/before" "$work/after"; then
  echo "removing the package left the differences above"
  exit 1
fi
echo "the package installs, works and removes cleanly"
