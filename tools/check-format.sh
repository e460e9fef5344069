#!/usr/bin/env bash
# Fails when a C or C++ file of the tree differs from what clang-format makes of it (the
# repository's .clang-format). Lists the files to mend with `clang-format -i`.
#
#   tools/check-format.sh          (CLANG_FORMAT names the binary, default clang-format)
set -euo pipefail
cd "$(dirname "$0")/.."
clang_format=${CLANG_FORMAT:-clang-format}

mapfile -t files < <(git ls-files -- '*.h' '*.hpp' '*.c' '*.cc' '*.cpp')
if [ ${#files[@]} -eq 0 ]; then
  echo "check-format: no sources found" >&2
  exit 1
fi
if "$clang_format" --dry-run --Werror "${files[@]}"; then
  echo "check-format: ${#files[@]} files formatted"
else
  echo "check-format: files above differ from clang-format's output (clang-format -i FILE)" >&2
  exit 1
fi
