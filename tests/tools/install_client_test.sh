#!/usr/bin/env bash
# scripts/install-client lays out an installation with its record and a menu entry that a
# desktop really starts, and refuses a folder no menu entry can start before writing anything.
# Usage: install_client_test.sh BUILD
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export XDG_DATA_HOME=$tmp/data VEXO_REGISTRY=$tmp/registry.reg BUILD_DIR=$1 VEXO_INSTALL_NO_BUILD=1
install_client() { "$root/scripts/install-client" "$@" >/dev/null; }
fail() { echo "FAIL: $*" >&2; exit 1; }
command -v gio >/dev/null || fail "gio is missing (scripts/install-deps installs libglib2.0-bin)"

dir="$tmp/my \$client \"x\" \`y\` 视频"  # what a desktop entry must quote
entry=$XDG_DATA_HOME/applications/vexo-client.desktop
install_client "$dir"
[ -x "$dir/VexoClient.exe" ] && [ -f "$dir/vexo-client.svg" ] || fail "incomplete installation"
grep -q "libwebmovie.so" "$VEXO_REGISTRY" || fail "the control is not registered"
mapfile -d '' recorded <"$dir/.vexo-install-record"
for name in "vexo-install-record 1" VexoClient.exe Plus/install_flashplayer.exe libwebmovie.so; do
  printf '%s\n' "${recorded[@]}" | grep -qxF -- "$name" || fail "the record lacks $name"
done
[ -f "$entry" ] || fail "no menu entry"
desktop-file-validate "$entry" || fail "invalid menu entry"
for line in "Exec=\"$tmp/my \\\\\$client \\\\\"x\\\\\" \\\\\`y\\\\\` 视频/VexoClient.exe\"" \
  "Path=$dir" "Icon=$dir/vexo-client.svg" "Name=Vexo Client" "Name[zh_CN]=Vexa视讯PC客户端" \
  "StartupWMClass=VexoClientPlay.exe"; do
  grep -qxF -- "$line" "$entry" || fail "no line $line in: $(cat "$entry")"
done

# The entry as written, with only the program's name changed to a stand-in beside it: GLib
# must find the file Exec names and start it in Path. The pipe closes when the stand-in ends.
printf '#!/bin/sh\nprintf "%%s|%%s" "$0" "$PWD" >"$STAND_IN_OUT"\n' >"$dir/stand-in"
chmod +x "$dir/stand-in"
sed 's|/VexoClient.exe"$|/stand-in"|' "$entry" >"$tmp/stand-in.desktop"
grep -q '/stand-in"$' "$tmp/stand-in.desktop" || fail "no Exec to point at the stand-in"
STAND_IN_OUT=$tmp/started gio launch "$tmp/stand-in.desktop" 2>&1 | cat >&2
[ "$(cat "$tmp/started" 2>/dev/null)" = "$dir/stand-in|$dir" ] ||
  fail "gio launch did not start $dir/stand-in in its folder"
rm "$dir/stand-in"

install_client --uninstall "$dir"
[ ! -e "$entry" ] && [ ! -e "$dir" ] || fail "the menu entry or the installation stayed"

# No Exec spelling of % starts with GLib; backslashes and control characters neither.
for bad in "$tmp/100%" "$tmp/back\\slash" "$tmp/tab"$'\t'"x"; do
  if "$root/scripts/install-client" "$bad" 2>"$tmp/err"; then fail "installed in $bad"; fi
  grep -q "menu entry\|control character" "$tmp/err" || fail "no reason given for $bad"
  [ ! -e "$bad" ] && [ ! -e "$entry" ] || fail "wrote something for $bad"
done
install_client --no-menu "$tmp/100%"
[ -x "$tmp/100%/VexoClient.exe" ] && [ ! -e "$entry" ] || fail "--no-menu"
# A relative DIR names a folder below where the script was run.
(cd "$tmp" && install_client --no-menu relative)
[ -x "$tmp/relative/VexoClient.exe" ] || fail "a relative DIR went elsewhere"
echo "install-client: ok"
