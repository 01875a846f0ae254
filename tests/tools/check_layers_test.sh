#!/usr/bin/env bash
# scripts/check-layers against small trees: an allowed include or link passes; an include or a
# link to a folder the row does not name, a file no row covers and a missing table fail.
set -euo pipefail
check=$(cd "$(dirname "$0")/../.." && pwd)/scripts/check-layers
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

mkdir -p "$tmp/docs" "$tmp/low" "$tmp/high/inner" "$tmp/build-x"
cat >"$tmp/docs/architecture.md" <<'DOC'
## Allowed dependencies
| folder | may include |
|---|---|
| `low` | — |
| `high` | `low` |
| `high/inner/special.cpp` | anything |
## Next section
| `ignored` | — |
DOC
echo '#include "low/a.h"' >"$tmp/high/b.cpp"
echo '#include "high/b.h"  // the same folder' >"$tmp/high/inner/c.cpp"
echo '#include "high/b.h"' >"$tmp/high/inner/special.cpp"
echo '#include "high/b.h"' >"$tmp/build-x/skipped.cpp"
echo '#include <vector>' >"$tmp/low/a.h"
"$check" "$tmp" >/dev/null || fail "an allowed tree was refused"

echo '#include "high/b.h"' >>"$tmp/low/a.h"
if "$check" "$tmp" 2>"$tmp/err"; then fail "an upward include passed"; fi
grep -q "low/a.h: includes high/b.h (high), which low may not use" "$tmp/err" || fail "$(cat "$tmp/err")"

echo '#include <vector>' >"$tmp/low/a.h"
mkdir -p "$tmp/new" && echo 'int x;' >"$tmp/new/d.cpp"
if "$check" "$tmp" 2>"$tmp/err"; then fail "a folder without a row passed"; fi
grep -q "new/d.cpp: no row of the table covers it" "$tmp/err" || fail "$(cat "$tmp/err")"

rm -r "$tmp/new"
# Links, as CMake lists them: a target and a library, each with its first source.
echo "hi high/b.cpp lo low/a.cpp" >"$tmp/links"
"$check" --links "$tmp/links" "$tmp" || fail "an allowed link was refused"
echo "lo low/a.cpp hi high/b.cpp" >>"$tmp/links"
if "$check" --links "$tmp/links" "$tmp" 2>"$tmp/err"; then fail "an upward link passed"; fi
grep -q "lo (low) links hi (high), which low may not use" "$tmp/err" || fail "$(cat "$tmp/err")"

echo "# no table" >"$tmp/docs/architecture.md"
if "$check" "$tmp" 2>/dev/null; then fail "a document without the table passed"; fi
echo "check-layers: ok"
