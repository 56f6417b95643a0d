#!/usr/bin/env bash
# Installs the build into a program folder under a temporary home, as
# ./scripts/run does, then installs again over a folder that holds data
# files, and takes the menu entry out again: the folder's layout, the menu
# entry pointing at the installed program, and data files that no step
# touches.
# Usage: install_test.sh SOURCE_FOLDER BUILD_FOLDER
set -euo pipefail
source=$1
build=$2

# The default prefix is a folder of the user's, never a system path.
prefix=$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' "$build/CMakeCache.txt")
[ "$prefix" = "$HOME/Lockmere" ] || { echo "FAIL: default install prefix $prefix" >&2; exit 1; }

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export HOME=$home
unset XDG_DATA_HOME
# Characters that the desktop entry's Exec key must quote or escape ("%" also
# needs env, below).
folder="$home/My \$Pass%words \"one\""
id=org.lockmere.Lockmere
apps=$home/.local/share/applications
icons=$home/.local/share/icons/hicolor

fail() { echo "FAIL: $*" >&2; exit 1; }

installed_tree() { (cd "$1" && find . -type f -printf '%P\n' | LC_ALL=C sort); }

echo "== first install"
"$source/scripts/install" "$build" "$folder" >/dev/null

expected=$(printf '%s\n' LICENSE README.md lockmere lockmere-cli menu-entry \
  share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
  share/icons/hicolor/scalable/apps/$id.svg \
  share/icons/hicolor/{16x16,32x32,48x48,64x64,128x128,256x256}/apps/$id.png \
  $(cd "$source" && ls docs/*.png) | LC_ALL=C sort)
actual=$(installed_tree "$folder")
[ "$actual" = "$expected" ] || fail "installed tree differs:
$(diff <(echo "$expected") <(echo "$actual"))"
[ "$(stat -c %a "$folder")" = 700 ] || fail "the new program folder is not owner-only"
[ -x "$folder/lockmere" ] || fail "the program is not executable"
"$folder/lockmere-cli" --version | grep -q '^lockmere-cli [0-9]' ||
  fail "lockmere-cli beside the program does not run"

echo "== menu entry"
[ "$(installed_tree "$icons")" = "$(installed_tree "$folder/share/icons/hicolor")" ] ||
  fail "the icons in the user's icon theme differ from the program folder's"
entry=$apps/$id.desktop
desktop-file-validate "$entry" || fail "the menu entry does not validate"
grep -qxF 'Exec=env "'"$home"'/My \\$Pass%%words \\"one\\"/lockmere"' "$entry" ||
  fail "Exec does not start the installed program: $(grep ^Exec= "$entry")"
grep -qxF "TryExec=$folder/lockmere" "$entry" || fail "TryExec: $(grep ^TryExec= "$entry")"
[ "$(grep -vE '^(Exec|TryExec)=' "$entry")" = "$(grep -v '^Exec=' "$source/desktop/$id.desktop")" ] ||
  fail "the menu entry differs from the program folder's beyond Exec and TryExec"

echo "== install again over data files"
declare -A data=([lkdb0.lkd]=key [lkdb1.lkd]=store [BackupLocation.inf]=/media/backups)
for name in "${!data[@]}"; do
  printf '%s' "${data[$name]}" >"$folder/$name"
  chmod 600 "$folder/$name"
done
printf 'old program' >"$folder/lockmere"
"$source/scripts/install" "$build" "$folder" >/dev/null
[ "$(head -c 4 "$folder/lockmere" | tail -c 3)" = ELF ] || fail "the program was not replaced"
for name in "${!data[@]}"; do
  [ "$(cat "$folder/$name")" = "${data[$name]}" ] || fail "$name changed"
  [ "$(stat -c %a "$folder/$name")" = 600 ] || fail "$name changed its mode"
done
[ -z "$(find "$folder" -name '.install.*')" ] || fail "a scratch folder was left behind"

echo "== uninstall"
"$source/scripts/run" --uninstall >/dev/null
[ ! -e "$entry" ] || fail "the menu entry is still there"
[ -z "$(find "$icons" -type f)" ] || fail "icons left: $(find "$icons" -type f)"
for name in "${!data[@]}"; do
  [ "$(cat "$folder/$name")" = "${data[$name]}" ] || fail "$name changed by the uninstall"
done
[ -x "$folder/lockmere" ] || fail "the uninstall removed the program folder's program"
echo "== folder names the desktop must start, or the install must refuse"
# The desktop's own launcher must find and start the program: a stand-in
# program in the installed folder tells that it ran.
launched() {
  printf '#!/bin/sh\ntouch "$HOME/launched"\n' >"$1/lockmere"
  rm -f "$home/launched"
  gio launch "$entry" || return 1
  for _ in $(seq 50); do [ -e "$home/launched" ] && return 0; sleep 0.1; done
  return 1
}
for name in "My \$Pass%words \"one\"" "100%" $'tab\there' "-dash" "back\\slash \`q\`; semicolon"; do
  odd="$home/$name"
  "$source/scripts/install" "$build" "$odd" >/dev/null || fail "install into $(printf %q "$odd")"
  desktop-file-validate "$entry" || fail "the entry for $(printf %q "$odd") does not validate"
  launched "$odd" || fail "the desktop cannot start $(printf %q "$odd/lockmere"): $(grep ^Exec= "$entry")"
done
(cd "$home" && "$source/scripts/install" "$build" "-relative" >/dev/null) ||
  fail "install into a relative folder beginning with -"
[ -x "$home/-relative/lockmere" ] || fail "the relative folder beginning with - was not used"
for name in $'line\n' $'bell\a' $'cr\rx'; do
  odd="$home/$name"
  if "$source/scripts/install" "$build" "$odd" >/dev/null 2>"$home/refusal"; then
    fail "install into $(printf %q "$odd") was not refused"
  fi
  grep -q "control character" "$home/refusal" || fail "no clear refusal: $(cat "$home/refusal")"
  [ ! -e "$odd" ] || fail "$(printf %q "$odd") was made before the refusal"
done
# The name that loses its line break must not turn into its sibling.
mkdir -p "$home/sibling"
"$source/scripts/install" "$build" "$home/sibling"$'\n' >/dev/null 2>&1 || true
[ -z "$(ls -A "$home/sibling")" ] || fail "a folder name ending in a line break installed into its sibling"

echo "install, install again and uninstall: the data files stayed as they were"
