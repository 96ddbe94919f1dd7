#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it from the build folder, which is
# then its program folder (see the README: "Where `make run` keeps the studio's files"). Only
# the program is built: the tests, the benchmarks and the manual are built by test.sh.
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/build marrowfold
exec "${BUILD_DIR:-build}/marrowfold" "$@"
