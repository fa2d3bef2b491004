#!/usr/bin/env bash
# Builds everything and runs the whole test suite (headless).
set -euo pipefail
root="$(cd "$(dirname "$0")" && pwd)"
"$root/tools/build.sh"
cd "${CORVANEL_BUILD_DIR:-$root/build}"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --no-tests=error --parallel "$(nproc)" "$@"
