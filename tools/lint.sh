#!/usr/bin/env bash
# clang-tidy's checks of .clang-tidy (bugprone-*, performance-*) over every source of the
# framework, the add-on, the host, the tool, the tests and the benchmarks, with the compile
# commands of the normal build (./build, brought up to date first: the checked files include
# what moc generates). Fails on any finding.
#
#   tools/lint.sh [PATH-REGEX]    e.g. tools/lint.sh '/cli/' checks only the tool's sources
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${CORVANEL_BUILD_DIR:-$root/build}"
"$root/tools/build.sh" >/dev/null
# Our own sources only, not what moc or the header check generate in the build; those the
# argument matches, when given.
folders="platform|paradox|data|dialogs|catalog|recipes|requirement|reports|recall|labels|shell|host|cli|tests|bench"
run-clang-tidy -quiet -p "$build" -j "$(nproc)" "^$root/(?=.*${1:-})($folders)/.*\.cpp\$"
