#!/usr/bin/env bash
# Non-blank, non-comment lines of C++ per folder, and the totals of tests and
# of the rest, as the project counts them: at a commit (default: the work tree).
#   scripts/line-counts.sh [REV]
set -euo pipefail
cd "$(dirname "$0")/.."
rev=${1:-}

files() {
  if [ -n "$rev" ]; then git ls-tree -r --name-only "$rev" -- "$@"; else git ls-files -co --exclude-standard -- "$@"; fi
}
# Lines of the C++ files below the folders; with a trailing "=", only those
# directly in the one folder.
lines() {
  local file only=""
  case "$1" in *=) only=${1%=}; set -- "$only" ;; esac
  while IFS= read -r file; do
    case "$file" in *.cpp|*.h) ;; *) continue ;; esac
    [ -z "$only" ] || [ "$(dirname "$file")" = "$only" ] || continue
    if [ -n "$rev" ]; then git show "$rev:$file"; else cat "$file"; fi
  done < <(files "$@") | grep -c -v -E '^\s*(//.*)?$' || true
}

for folder in $(files src tools bench tests | grep -E '\.(cpp|h)$' | xargs -n1 dirname | sort -u); do
  printf '%-22s %6s\n' "$folder" "$(lines "$folder=")"
done
code=$(lines src tools bench)
tests=$(lines tests)
printf '%-22s %6s\n%-22s %6s\n' "code (src tools bench)" "$code" "tests" "$tests"
