#!/usr/bin/env bash
cd "$(dirname "$0")/.." && cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null && cmake --build build --target zilscreens zilctl -j"$(nproc)" && build/tools/screens/zilscreens screenshots || exit 1
# The printed page, drawn by zilctl from a school's week.
data=$(mktemp -d) && trap 'rm -rf "$data"' EXIT
build/app/zilctl import tools/screens/school-week.csv --calendar "$data/RingCalendar.dat" >/dev/null &&
    build/app/zilctl print --calendar "$data/RingCalendar.dat" --title "Zil Takvimi – Örnek Ortaokulu" screenshots/printed-week.png
