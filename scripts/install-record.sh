# shellcheck shell=bash
# The installation record of scripts/install-client, sourced by it: the files an installation
# got, so that uninstalling removes exactly those and never what someone else put in the folder.
# The record is DIR/.vexo-install-record: a header, then one path relative to DIR per entry,
# every item ended by a NUL byte, so any file name fits.
set -euo pipefail
RECORD_NAME=.vexo-install-record
RECORD_HEADER="vexo-install-record 1"

# True for a path this script could have recorded: relative, no empty, "." or ".." component.
record_path_ok() {
  local p=$1
  case "$p" in
    '' | /* | */ | . | .. | ./* | ../* | */./* | */../* | */. | */.. | *//*) return 1 ;;
  esac
}

# Reads the record of installation $1 into the array RECORDED; fails, naming the reason, for a
# record that is no file of this script or lists a path that leaves the installation.
read_record() {
  local dir=$1 record=$1/$RECORD_NAME item
  RECORDED=()
  if [ -L "$record" ] || [ ! -f "$record" ]; then
    echo "$dir holds no installation record ($RECORD_NAME)" >&2
    return 1
  fi
  local items=()
  mapfile -d '' items <"$record"
  if [ "${#items[@]}" -eq 0 ] || [ "${items[0]}" != "$RECORD_HEADER" ]; then
    echo "$record is not an installation record" >&2
    return 1
  fi
  for item in "${items[@]:1}"; do
    if ! record_path_ok "$item"; then
      echo "$record lists '$item', which is not a path inside the installation" >&2
      return 1
    fi
    RECORDED+=("$item")
  done
}

# Writes the record of $1: what it had, merged with what cmake --install just wrote (one
# absolute path a line in $2). Replaced in one rename, so a failure leaves the old record.
write_record() {
  local dir=$1 manifest=$2 line rel old=()
  if [ -e "$dir/$RECORD_NAME" ] || [ -L "$dir/$RECORD_NAME" ]; then
    read_record "$dir" || return 1
    old=("${RECORDED[@]}")
  fi
  local tmp
  tmp=$(mktemp "$dir/$RECORD_NAME.tmp-XXXXXX")
  {
    printf '%s\0' "$RECORD_HEADER"
    {
      [ "${#old[@]}" -eq 0 ] || printf '%s\0' "${old[@]}"
      while IFS= read -r line || [ -n "$line" ]; do  # the last line has no line break
        # cmake writes DESTINATION . as "DIR/./NAME".
        rel=${line#"$dir"/}
        while [[ $rel == ./* ]]; do rel=${rel#./}; done
        while [[ $rel == */./* ]]; do rel=${rel//\/.\//\/}; done
        # A name cut at a line break would not name the file: refuse rather than misrecord.
        if [[ $line != "$dir"/* ]] || ! record_path_ok "$rel"; then
          echo "cmake --install reported '$line', not a file inside $dir" >&2
          return 1
        fi
        printf '%s\0' "$rel"
      done <"$manifest"
    } | LC_ALL=C sort -zu
  } >"$tmp" || { rm -f -- "$tmp"; return 1; }
  chmod 0644 "$tmp"
  mv -f -- "$tmp" "$dir/$RECORD_NAME"
}

# The first folder on the way to $2 inside $1 that is a symbolic link, if any.
linked_parent() {
  local parent=$2
  while [[ $parent == */* ]]; do
    parent=${parent%/*}
    if [ -L "$1/$parent" ]; then
      printf '%s' "$parent"
      return 0
    fi
  done
  return 1
}

# Marks in the caller's OWNED the files the launcher's last update brought (update/.vexo-receipt
# lists them), where they still hold the bytes the update verified.
own_updated_files() {
  local dir=$1 receipt=$1/update/.vexo-receipt line name file
  { [ ! -L "$dir/update" ] && [ ! -L "$receipt" ] && [ -f "$receipt" ]; } || return 0
  while IFS= read -r line; do  # a line a crash cut has no line break and is passed over
    [[ $line =~ ^file\ ([0-9]+)\ ([0-9a-f]{32})\ ([0-9a-f]{64}|-)\ (.+)$ ]] || continue
    name=${BASH_REMATCH[4]} file=$dir/${BASH_REMATCH[4]}
    if ! record_path_ok "$name" || linked_parent "$dir" "$name" >/dev/null; then continue; fi
    if [ -f "$file" ] && [ ! -L "$file" ] && [ "$(stat -c %s -- "$file")" = "${BASH_REMATCH[1]}" ] &&
      [ "$(md5sum <"$file")" = "${BASH_REMATCH[2]}  -" ]; then
      OWNED[$name]=1
    fi
  done <"$receipt"
}

# Reads the record of installation $1 and fails, with the reason, when it is no record or
# names a path that uninstalling would reach outside the installation by.
check_installation() {
  local dir=$1 rel parent
  read_record "$dir" || return 1
  for rel in "${RECORDED[@]}"; do
    if parent=$(linked_parent "$dir" "$rel"); then
      echo "$dir/$parent is a symbolic link and the record lists $rel below it" >&2
      return 1
    fi
  done
}

# Removes what installation $1 holds of its own: the recorded files, what the launcher wrote
# (update/, version.xml, temporary files beside those), then the record and the folders this
# left empty. Anything else stays and is named. Links are removed as links, never followed.
# Run check_installation first, which reads the record into RECORDED.
uninstall_installation() {
  local dir=$1 rel
  declare -A OWNED=([version.xml]=1 [$RECORD_NAME]=1)
  for rel in "${RECORDED[@]}"; do OWNED[$rel]=1; done
  own_updated_files "$dir"
  local entries=() removed=() kept=()
  # find never follows links, so every name it gives is inside the installation.
  mapfile -d '' entries < <(cd "$dir" &&
    find . -mindepth 1 \( -path ./update -o -path "./$RECORD_NAME" \) -prune -o ! -type d -print0)
  wait $! || { echo "cannot list $dir: nothing removed" >&2; return 1; }
  for rel in "${entries[@]}"; do
    rel=${rel#./}
    if [ -n "${OWNED[$rel]:-}" ] ||
      { [[ $rel =~ ^(.+)\.tmp-[A-Za-z0-9]{6}$ ]] && [ -n "${OWNED[${BASH_REMATCH[1]}]:-}" ]; }; then
      rm -f -- "$dir/$rel"
      removed+=("$rel")
    else
      kept+=("$rel")
    fi
  done
  if [ -e "$dir/update" ] || [ -L "$dir/update" ]; then
    rm -rf -- "$dir/update"
  fi
  rm -f -- "$dir/$RECORD_NAME"
  # Deepest first: in reverse order every folder comes before the folders that hold it.
  local folders=()
  for rel in "${removed[@]}"; do
    while [[ $rel == */* ]]; do
      rel=${rel%/*}
      folders+=("$rel")
    done
  done
  if [ "${#folders[@]}" -gt 0 ]; then
    mapfile -d '' folders < <(printf '%s\0' "${folders[@]}" | LC_ALL=C sort -zru)
    for rel in "${folders[@]}"; do rmdir -- "$dir/$rel" 2>/dev/null || true; done
  fi
  if [ "${#kept[@]}" -gt 0 ]; then
    local shown
    shown=$(printf ', %q' "${kept[@]:0:10}")
    [ "${#kept[@]}" -le 10 ] || shown+=" and $((${#kept[@]} - 10)) more"
    echo "kept ${#kept[@]} files that the installation did not put there: ${shown#, }" >&2
  fi
  if rmdir -- "$dir" 2>/dev/null; then
    echo "removed $dir"
  else
    echo "kept $dir: it still holds what the installation did not put there" >&2
  fi
}
