#!/usr/bin/env bash
# Builds the programs (the host with the add-on, and the command-line tool) and starts the host
# on the demo company. The tests and benchmarks are left to ./run-tests.sh.
set -euo pipefail
root="$(cd "$(dirname "$0")" && pwd)"
"$root/tools/build.sh" --target pelmaris corvanel
exec "${CORVANEL_BUILD_DIR:-$root/build}/bin/pelmaris" --demo "$@"
