#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target zilsistemi -j"$(nproc)"
# Without a display Qt aborts with a core dump; say what to do instead.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    cat >&2 <<'EOF'
run-program.sh: there is no display (neither DISPLAY nor WAYLAND_DISPLAY is set), so the
window cannot open. The program is built at build/app/zilsistemi. Start it
  - from a terminal of a desktop session,
  - through a virtual X server:        xvfb-run tools/run-program.sh   (apt-get install xvfb)
  - or, only to check that it starts:  QT_QPA_PLATFORM=offscreen tools/run-program.sh
EOF
    exit 1
fi
exec build/app/zilsistemi
