#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors and runs every test.
# Extra CMake options come from the arguments.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/build.sh -DBW_WERROR=ON "$@"
cd "${BUILD_DIR:-build}"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel "$(nproc)" --timeout 600
