#!/usr/bin/env bash
# Builds the libFuzzer harnesses of fuzz/ with clang into ./build-fuzz and runs each for
# the given seconds (default 30), one after the other. Fails when any finds a crash, a
# sanitizer report, a leak or a hang; the input that did it is kept in build-fuzz/artifacts.
#
#   tools/fuzz.sh [seconds] [harness ...]     (harness: ini_text, paradox, ...; default all)
#
# Each harness starts from its seed corpus (fuzz/corpus/<harness>, in the repository) and
# keeps what it learns in build-fuzz/corpus/<harness> for the next run on this machine.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-30}"
shift || true
"$root/tools/install-deps.sh"
build="${CORVANEL_FUZZ_BUILD_DIR:-$root/build-fuzz}"
export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1
if [ ! -f "$build/build.ninja" ]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCORVANEL_FUZZ=ON \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi

all=(ini_text component_stream code_list typed_values command_line connection paradox)
harnesses=("$@")
[ ${#harnesses[@]} -gt 0 ] || harnesses=("${all[@]}")
cmake --build "$build" --parallel "$(nproc)" --target "${harnesses[@]/#/fuzz_}"

export ASAN_OPTIONS="detect_leaks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8
failed=()
for h in "${harnesses[@]}"; do
  mkdir -p "$build/corpus/$h" "$build/artifacts"
  echo "== fuzz_$h: ${seconds} s"
  if ! "$build/bin/fuzz_$h" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -close_fd_mask=1 -print_final_stats=1 -artifact_prefix="$build/artifacts/$h-" \
      "$build/corpus/$h" "$root/fuzz/corpus/$h" >"$build/fuzz_$h.log" 2>&1; then
    failed+=("$h")
    tail -n 60 "$build/fuzz_$h.log"
  fi
  grep -E '^stat::number_of_executed_units|^Done ' "$build/fuzz_$h.log" | tr '\n' ' '
  echo
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "Fuzzing found faults in: ${failed[*]} (inputs in $build/artifacts)" >&2
  exit 1
fi
echo "Fuzzing: ${#harnesses[@]} harnesses, ${seconds} s each, nothing found"
