#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Fails when a C++ file of the tree differs from .clang-format, or a source
# file or script lacks its licence line; prints the files that do.
# scripts/format.sh rewrites the formatting.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.h' '*.cpp')
# clang-format names each file that differs in its complaints ("FILE:LINE:COL:
# error: ..."); batches of files run on every core.
mapfile -t bad < <(printf '%s\0' "${files[@]}" |
  xargs -0 -n 40 -P "$(nproc)" clang-format --dry-run --Werror 2>&1 |
  sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: error: .*/\1/p' | sort -u)
if [ ${#bad[@]} -gt 0 ]; then
  echo "Not formatted as .clang-format says (run scripts/format.sh):" >&2
  printf '  %s\n' "${bad[@]}" >&2
  exit 1
fi
# The licence line: first in a C++ file, after the #! or #compdef line in a
# script.
mapfile -t sources < <(git ls-files '*.h' '*.cpp' '*.h.in' '*.sh' '*.py' '*.cmake' \
  'CMakeLists.txt' '*/CMakeLists.txt' .ci/run debian/rules 'dist/completion/*')
unlicensed=()
for f in "${sources[@]}"; do
  head -2 "$f" | grep -q '^\(//\|#\) SPDX-License-Identifier: MIT$' || unlicensed+=("$f")
done
if [ ${#unlicensed[@]} -gt 0 ]; then
  echo "No SPDX-License-Identifier line at the top:" >&2
  printf '  %s\n' "${unlicensed[@]}" >&2
  exit 1
fi
echo "format: ${#files[@]} files as .clang-format says; ${#sources[@]} carry the licence line"
