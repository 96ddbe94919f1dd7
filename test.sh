#!/usr/bin/env bash
# Installs what is missing, builds everything (the program, the manual, the tests and the fuzz
# corpus replay) and runs every test headless.
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/build
cd "${BUILD_DIR:-build}"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "${JOBS:-$(nproc 2>/dev/null || echo 2)}"
