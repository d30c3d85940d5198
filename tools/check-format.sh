#!/usr/bin/env bash
# Fails, naming the lines, when a C++ file of the tree is not formatted as
# .clang-format says. The fix: clang-format -i on the files it names.
set -euo pipefail
cd "$(dirname "$0")/.."
find app schedule link protocol operations site print ui tools tests -name '*.cpp' -o -name '*.h' |
    sort | xargs clang-format --dry-run --Werror
echo "format: every C++ file as .clang-format says"
