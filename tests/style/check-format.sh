#!/usr/bin/env bash
# Keeps the tree in the house style of .clang-format: every C++ file of src/, tests/ and bench/ must
# be as clang-format leaves it (`make format` puts it right).
#   usage: check-format.sh [REPO_ROOT]
# Skips with a message where clang-format is missing (scripts/install-deps.sh installs it).
set -uo pipefail

root=${1:-$(cd "$(dirname "$0")/../.." && pwd)}
cd "$root" || exit 2
if ! command -v clang-format >/dev/null; then
  echo "clang-format is missing, so the house style was not checked (apt-get install clang-format)."
  exit 0
fi
mapfile -d '' sources < <(find src tests bench -type f \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z)
if report=$(clang-format --dry-run --Werror "${sources[@]}" 2>&1); then
  echo "Every one of ${#sources[@]} files is in the house style."
  exit 0
fi
printf '%s\n' "$report" | grep -E '^[^ ].*(warning|error):' | cut -d: -f1 | sort -u | sed 's/^/not in the house style: /'
echo "Run 'make format' to put them right." >&2
exit 1
