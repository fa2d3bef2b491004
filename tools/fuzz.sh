#!/usr/bin/env bash
# Builds the libFuzzer harnesses of fuzz/ with clang into ./build-fuzz and runs each for
# the given seconds (default 30), as many at a time as there are cores. Fails when any finds
# a crash, a sanitizer report, a leak or a hang; the input that did it is kept in
# build-fuzz/artifacts.
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
. "$root/tools/ccache-env.sh"
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
# libFuzzer uses one core: the harnesses run as many at a time as there are cores, each for
# its full time, their summaries printed in order once all are done.
fuzz_one() {
  local h="$1"
  mkdir -p "$build/corpus/$h" "$build/artifacts"
  if "$build/bin/fuzz_$h" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -close_fd_mask=1 -print_final_stats=1 -artifact_prefix="$build/artifacts/$h-" \
      "$build/corpus/$h" "$root/fuzz/corpus/$h" >"$build/fuzz_$h.log" 2>&1; then
    echo ok >"$build/fuzz_$h.status"
  else
    echo failed >"$build/fuzz_$h.status"
  fi
}
running=0
for h in "${harnesses[@]}"; do
  rm -f "$build/fuzz_$h.status"
  fuzz_one "$h" &
  running=$((running + 1))
  if [ "$running" -ge "$(nproc)" ]; then wait -n || true; running=$((running - 1)); fi
done
wait
failed=()
for h in "${harnesses[@]}"; do
  echo "== fuzz_$h: ${seconds} s"
  if [ "$(cat "$build/fuzz_$h.status" 2>/dev/null)" != ok ]; then
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
