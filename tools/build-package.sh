#!/usr/bin/env bash
# Builds the Debian package from a build of its own, without tests or tools:
# build-package/zilsistemi_<version>_<arch>.deb.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake -S . -B build-package -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DZIL_BUILD_TOOLS=OFF >/dev/null
cmake --build build-package -j"$(nproc)"
cd build-package && cpack -G DEB
