#!/usr/bin/env bash
# Builds the Debian package (pelmaris, corvanel, their libraries and the add-on, the menu
# entry, icons and manual pages) into build/package and prints its path. Builds only what
# goes into it; the build is the usual one (optimised, with debugging information, which the
# package leaves out).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
# What it installs goes to the error output: the standard output is the package's path alone.
"$root/tools/install-deps.sh" --package >&2
build="${CORVANEL_BUILD_DIR:-$root/build}"
"$root/tools/build.sh" --target pelmaris corvanel dist_files >&2
rm -f "$build"/package/pelmaris_*.deb
log="$build/package/cpack.log"
mkdir -p "$build/package"
if ! (cd "$build" && cpack --config CPackConfig.cmake) >"$log" 2>&1; then
  cat "$log" >&2
  exit 1
fi
ls "$build"/package/pelmaris_*.deb
