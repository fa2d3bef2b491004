#!/usr/bin/env bash
# clang-tidy's checks of .clang-tidy (bugprone-*, performance-*) over every source git tracks
# that the normal build compiles, with its compile commands (./build, brought up to date
# first: the checked files include what moc generates). Fails on any finding. A file found
# clean is not checked again until something it is made of changes (tools/lint.py says what
# counts); CORVANEL_LINT_CACHE=DIR keeps those verdicts elsewhere than ~/.cache.
#
#   tools/lint.sh [PATH-REGEX]    e.g. tools/lint.sh '/cli/' checks only the tool's sources
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${CORVANEL_BUILD_DIR:-$root/build}"
"$root/tools/build.sh" >/dev/null
exec python3 "$root/tools/lint.py" --root "$root" --build "$build" --jobs "$(nproc)" ${1:+"$1"}
