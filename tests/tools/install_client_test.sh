#!/usr/bin/env bash
# scripts/install-client lays out an installation with its menu entry; --uninstall takes both
# away again, and never a directory that is no installation. Usage: install_client_test.sh BUILD
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export XDG_DATA_HOME=$tmp/data VEXO_REGISTRY=$tmp/registry.reg BUILD_DIR=$1 VEXO_INSTALL_NO_BUILD=1
install_client() { "$root/scripts/install-client" "$@" >/dev/null; }
fail() { echo "FAIL: $*" >&2; exit 1; }

dir="$tmp/my \$client 100%"  # what a desktop entry must quote
entry=$XDG_DATA_HOME/applications/vexo-client.desktop
install_client "$dir"
[ -x "$dir/VexoClient.exe" ] && [ -f "$dir/vexo-client.svg" ] || fail "incomplete installation"
grep -q "libwebmovie.so" "$VEXO_REGISTRY" || fail "the control is not registered"
[ -f "$entry" ] || fail "no menu entry"
desktop-file-validate "$entry" || fail "invalid menu entry"
for line in "Exec=\"$tmp/my \\\\\$client 100%%/VexoClient.exe\"" "Path=$dir" \
  "Icon=$dir/vexo-client.svg" "Name=Vexo Client" "Name[zh_CN]=Vexa视讯PC客户端" \
  "StartupWMClass=VexoClientPlay.exe"; do
  grep -qxF -- "$line" "$entry" || fail "no line $line in: $(cat "$entry")"
done

mkdir "$tmp/other" && touch "$tmp/other/keep"
if "$root/scripts/install-client" --uninstall "$tmp/other" 2>/dev/null; then
  fail "uninstalled a directory that is no installation"
fi
[ -f "$tmp/other/keep" ] || fail "a foreign directory lost its files"

install_client --uninstall "$dir"
[ ! -e "$entry" ] || fail "the menu entry stayed"
[ ! -e "$dir" ] || fail "the installation stayed"

install_client --no-menu "$dir"
[ -x "$dir/VexoClient.exe" ] && [ ! -e "$entry" ] || fail "--no-menu"
echo "install-client: ok"
