#!/usr/bin/env bash
# Installs what is missing, configures and builds everything (or the targets asked) into ./build.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/tools/install-deps.sh"
build="${CORVANEL_BUILD_DIR:-$root/build}"
. "$root/tools/ccache-env.sh"
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
# Any arguments go to the build ("--target pelmaris" builds only that).
cmake --build "$build" --parallel "$(nproc)" "$@"
