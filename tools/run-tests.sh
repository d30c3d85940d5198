#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: once in a
# plain build, once under AddressSanitizer and UndefinedBehaviorSanitizer.
# The format is checked first. --plain runs only the plain build, for a
# quick check.
set -euo pipefail
plain_only=false
case "${1:-}" in
    --plain) plain_only=true ;;
    "") ;;
    *) echo "usage: tools/run-tests.sh [--plain]" >&2; exit 2 ;;
esac
cd "$(dirname "$0")/.."
tools/install-deps.sh
tools/check-format.sh
jobs=$(nproc)

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"
if $plain_only; then
    exit 0
fi

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DZIL_SANITIZE=ON >/dev/null
cmake --build build-asan -j"$jobs"
ctest --test-dir build-asan --output-on-failure -j"$jobs"
