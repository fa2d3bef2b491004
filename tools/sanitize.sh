#!/usr/bin/env bash
# Builds tests with AddressSanitizer and UndefinedBehaviorSanitizer into ./build-sanitize
# and runs them as run-tests.sh does (headless, with their own PostgreSQL test server), in
# the Romanian locale: see docs/ARCHITECTURE.md "Sanitizers, warnings and lint". A finding
# (a bad access, a leak, undefined behaviour) ends its process and fails its test.
#
#   tools/sanitize.sh [--all] [--locale LANG|both] [CTEST ARGUMENTS...]
#     by default the dataset's, the add-on's and the command-line tool's tests;
#     --all          every test executable (what CI runs)
#     --locale LANG  in LANG instead of ro_RO.UTF-8; "both" for C.UTF-8 and ro_RO.UTF-8
#   e.g. tools/sanitize.sh -R '^cli\.'   only the command-line tool's tests
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
targets=(--target test_platform_db test_addon test_cli)
tests=(-R '^(platform\.db\.|addon\.|cli\.|pg\.server\.)')
langs=(ro_RO.UTF-8)
while [ $# -gt 0 ]; do
  case "$1" in
    --all) targets=(); tests=(); shift ;;
    --locale)
      [ "${2:?locale}" = both ] && langs=(C.UTF-8 ro_RO.UTF-8) || langs=("$2")
      shift 2 ;;
    *) break ;;
  esac
done
"$root/tools/install-deps.sh"
build="${CORVANEL_SANITIZE_BUILD_DIR:-$root/build-sanitize}"
. "$root/tools/ccache-env.sh"
if [ ! -f "$build/build.ninja" ]; then
  # Debug keeps the assertions; -O1 and line tables alone (-g1, enough for the reports'
  # stacks) keep the build and the run within CI's time.
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS=-O1 -DCMAKE_CXX_FLAGS_DEBUG=-g1 \
    -DCORVANEL_SANITIZE=ON >/dev/null
fi
cmake --build "$build" --parallel "$(nproc)" "${targets[@]}"

supp="$root/tools/sanitizers"
export ASAN_OPTIONS="detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1"
export LSAN_OPTIONS="suppressions=$supp/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="suppressions=$supp/ubsan.supp:print_stacktrace=1:halt_on_error=1"
cd "$build"
for lang in "${langs[@]}"; do
  echo "== Sanitized tests with LANG=$lang"
  LANG="$lang" LC_ALL= QT_QPA_PLATFORM=offscreen ctest --output-on-failure --no-tests=error --parallel "$(nproc)" \
    "${tests[@]}" "$@"
done
