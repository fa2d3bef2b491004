#!/usr/bin/env bash
# Builds everything and runs the whole test suite (headless), once in the C locale and once
# in a Romanian one, where numbers are written with a decimal comma.
set -euo pipefail
root="$(cd "$(dirname "$0")" && pwd)"
"$root/tools/build.sh"
cd "${CORVANEL_BUILD_DIR:-$root/build}"
for lang in C.UTF-8 ro_RO.UTF-8; do
  echo "== Tests with LANG=$lang"
  LANG="$lang" LC_ALL= QT_QPA_PLATFORM=offscreen ctest --output-on-failure --no-tests=error --parallel "$(nproc)" "$@"
done
