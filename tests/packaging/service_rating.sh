#!/usr/bin/env bash
# Rates a service unit with `systemd-analyze security --offline=yes` and fails
# when its overall exposure is above the limit; skipped without systemd-analyze.
# Usage: service_rating.sh UNIT LIMIT
set -euo pipefail
unit=$1 limit=$2
command -v systemd-analyze >/dev/null || { echo "systemd-analyze not installed: not rated"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$unit" "$work/"
cd "$work"
report=$(systemd-analyze security --offline=yes "./$(basename "$unit")" 2>&1) || true
level=$(sed -n 's/.*Overall exposure level for [^:]*: \([0-9.]*\) .*/\1/p' <<<"$report")
[ -n "$level" ] || { echo "no exposure level in:"; echo "$report"; exit 1; }
grep "✗" <<<"$report" || true
echo "exposure $level, limit $limit"
awk -v level="$level" -v limit="$limit" 'BEGIN { exit !(level <= limit) }'
