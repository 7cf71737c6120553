#!/usr/bin/env bash
# Builds the Debian package (in a build of its own, configured for /usr),
# checks it with lintian (no errors), installs it, uses the installed
# program through bash as a user would, removes it and checks that it left
# nothing of its own behind and that another install of vok (under
# /usr/local, say) still works. Needs root or sudo, since it installs into
# the system.
# Usage: tests/package/package_check.sh
set -euo pipefail
src=$(realpath "$(dirname "$0")/../..")
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

build=$work/build
cmake -S "$src" -B "$build" -DCMAKE_INSTALL_PREFIX=/usr -DVOK_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j2 >"$work/build.log" 2>&1 || { cat "$work/build.log"; exit 1; }
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

# What the package holds, and which of those paths are not there yet: after
# the removal they must be gone again. Other files of the machine are no
# concern of this check.
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's#^\./#/#; s#/$##' | grep -v '^$' >"$work/contents"
while read -r path; do [ -e "$path" ] || echo "$path"; done <"$work/contents" >"$work/new"
# Other installs of vok (a quick start under /usr/local, say) and the
# script their lines name, which the package must leave alone.
other_installs() {
  { type -ap vok || true; } | { grep -vx /usr/bin/vok || true; } | while read -r other; do
    echo "$other $(VOK_TEMP="$work/newdir" "$other" -ia 2>/dev/null | sed -n "s/^alias vok='\. \(.*\) -p vok';$/\1/p")"
  done
}
other_installs >"$work/others"
$as_root dpkg -i "$deb" >/dev/null
for file in /usr/bin/vok /usr/bin/vokscr /usr/share/man/man1/vok.1.gz \
            /usr/share/doc/vok/vok.conf.example /usr/share/doc/vok/copyright \
            /usr/share/bash-completion/completions/vok /usr/share/zsh/vendor-completions/_vok \
            /usr/share/vok/vok.tcsh /usr/share/fish/vendor_completions.d/vok.fish; do
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
left=0
while read -r path; do
  [ -e "$path" ] && { echo "removing the package left $path"; left=1; }
done <"$work/new"
[ "$left" = 0 ] || exit 1
while read -r other script; do
  [ -n "$script" ] && [ -e "$script" ] || { echo "$other lost its script $script"; exit 1; }
done <"$work/others"
echo "the package installs, works and removes cleanly"
