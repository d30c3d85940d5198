#!/usr/bin/env bash
cd "$(dirname "$0")/.." && cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null && cmake --build build --target zilscreens -j"$(nproc)" && build/tools/screens/zilscreens screenshots
