#!/usr/bin/env bash
# Checks that every C++ source under version control is laid out as
# .clang-format says; lists the files that are not and fails. With --fix,
# reformats those files in place instead.
#   scripts/check-format.sh          check (exit 1 when a file differs)
#   scripts/check-format.sh --fix    reformat
set -euo pipefail
cd "$(dirname "$0")/.."

fix=0
case "${1:-}" in
  "") ;;
  --fix) fix=1 ;;
  *) echo "usage: $0 [--fix]" >&2; exit 2 ;;
esac

# Versions lay code out differently; the configuration is set for 14.
formatter=""
for candidate in clang-format-14 clang-format; do
  if command -v "$candidate" >/dev/null; then formatter=$candidate; break; fi
done
if [ -z "$formatter" ]; then
  echo "check-format: clang-format is not installed (scripts/install-deps.sh installs it)" >&2
  exit 2
fi

mapfile -t files < <(git ls-files -- '*.cpp' '*.h')
if [ "$fix" -eq 1 ]; then
  printf '%s\0' "${files[@]}" | xargs -0 -n 50 "$formatter" -i --style=file
  exit 0
fi

bad=()
for f in "${files[@]}"; do
  if ! "$formatter" --style=file --dry-run --Werror "$f" >/dev/null 2>&1; then
    bad+=("$f")
  fi
done
if [ ${#bad[@]} -ne 0 ]; then
  printf 'not formatted: %s\n' "${bad[@]}" >&2
  echo "check-format: ${#bad[@]} file(s) differ from .clang-format; run scripts/check-format.sh --fix" >&2
  exit 1
fi
echo "check-format: ${#files[@]} files formatted"
