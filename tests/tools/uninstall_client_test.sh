#!/usr/bin/env bash
# scripts/install-client --uninstall removes what the installation put in its folder and the
# launcher wrote there, keeps and names anything else, and refuses whatever is no installation
# or a record that reaches outside it, removing nothing. Usage: uninstall_client_test.sh BUILD
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export XDG_DATA_HOME=$tmp/data VEXO_REGISTRY=$tmp/registry.reg BUILD_DIR=$1 VEXO_INSTALL_NO_BUILD=1
fail() { echo "FAIL: $*" >&2; exit 1; }
uninstall() { "$root/scripts/install-client" --uninstall "$@" >/dev/null 2>"$tmp/err"; }
refused() {  # refused DIR WHAT: the uninstall fails, says why, and the installation stays whole
  if uninstall "$1"; then fail "uninstalled $2"; fi
  [ -s "$tmp/err" ] || fail "no reason given for refusing $2"
  [ -x "$dir/VexoClient.exe" ] && [ -f "$dir/.vexo-install-record" ] && [ -f "$entry" ] ||
    fail "refusing $2 removed part of the installation"
}
record() { printf '%s\0' "vexo-install-record 1" "$@" >"$dir/.vexo-install-record"; }

dir="$tmp/the client"
entry=$XDG_DATA_HOME/applications/vexo-client.desktop
"$root/scripts/install-client" "$dir" >/dev/null
cp "$dir/.vexo-install-record" "$tmp/record"
mkdir "$tmp/outside" && echo precious >"$tmp/outside/victim"

echo data >"$tmp/file"
refused "$tmp/file" "a regular file"
[ "$(cat "$tmp/file")" = data ] || fail "a refused file changed"
ln -s "$dir" "$tmp/link"
refused "$tmp/link" "a link to an installation"
refused "$tmp/link/" "a link to an installation, given with a slash"
[ -L "$tmp/link" ] || fail "the refused link went"
mkdir "$tmp/other" && touch "$tmp/other/VexoClient.exe" "$tmp/other/keep"
refused "$tmp/other" "a folder without a record"
[ -f "$tmp/other/keep" ] && [ -f "$tmp/other/VexoClient.exe" ] || fail "a foreign folder lost files"

record VexoClient.exe ../outside/victim
refused "$dir" "a record with .."
record VexoClient.exe "$tmp/outside/victim"
refused "$dir" "a record with an absolute path"
ln -s "$tmp/outside" "$dir/linked"
record VexoClient.exe linked/victim
refused "$dir" "a record with a path below a link"
[ "$(cat "$tmp/outside/victim")" = precious ] || fail "a hostile record reached outside"
rm "$dir/linked" && cp "$tmp/record" "$dir/.vexo-install-record"

# What the launcher's updates write: the staging folder, the local manifest, new release files
# while the receipt vouches for them, leftovers of replacing files.
mkdir -p "$dir/update" "$dir/lib" "$dir/mine"
echo new >"$dir/lib/new.so"
echo changed >"$dir/lib/edited.so"
{
  echo "vexo-receipt 1 12"
  for name in lib/new.so lib/edited.so; do
    echo "file 4 $(echo new | md5sum | cut -c1-32) - $name"
  done
  echo installed
} >"$dir/update/.vexo-receipt"
touch "$dir/update/VexoClient.exe" "$dir/version.xml" "$dir/VexoClient.exe.tmp-Ab12Cd"
# Foreign files, and a recorded file that became a link to one outside.
touch "$dir/notes.txt" "$dir/mine/keep" "$dir/webmovie-ruffle/extra.js"
rm "$dir/welcome.swf" && ln -s "$tmp/outside/victim" "$dir/welcome.swf"

uninstall "$dir" || fail "uninstall failed: $(cat "$tmp/err")"
[ ! -e "$entry" ] || fail "the menu entry stayed"
[ "$(cat "$tmp/outside/victim")" = precious ] || fail "a recorded link was followed"
for gone in VexoClient.exe welcome.swf Plus demo update version.xml lib/new.so \
  VexoClient.exe.tmp-Ab12Cd .vexo-install-record; do
  [ ! -e "$dir/$gone" ] && [ ! -L "$dir/$gone" ] || fail "$gone stayed"
done
for kept in notes.txt mine/keep webmovie-ruffle/extra.js lib/edited.so; do
  [ -f "$dir/$kept" ] || fail "the foreign $kept went"
  grep -qF "$kept" "$tmp/err" || fail "$kept not named in: $(cat "$tmp/err")"
done
grep -q "kept 4 files" "$tmp/err" || fail "the kept files not counted: $(cat "$tmp/err")"
[ "$(find "$dir/webmovie-ruffle" -type f)" = "$dir/webmovie-ruffle/extra.js" ] ||
  fail "the recorded Ruffle files stayed"

# Only what the installation left stays empty and goes, the folder itself with it.
rm -r "${dir:?}"/{notes.txt,mine,webmovie-ruffle,lib}
"$root/scripts/install-client" --no-menu "$dir" >/dev/null
"$root/scripts/install-client" --no-menu "$dir" >/dev/null  # a reinstall merges its record
uninstall "$dir" || fail "uninstall failed: $(cat "$tmp/err")"
[ ! -e "$dir" ] || fail "the emptied installation folder stayed: $(find "$dir")"
echo "uninstall: ok"
