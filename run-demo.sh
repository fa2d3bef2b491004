#!/usr/bin/env bash
# Builds everything and starts the host on the demo company.
set -euo pipefail
root="$(cd "$(dirname "$0")" && pwd)"
"$root/tools/build.sh"
exec "${CORVANEL_BUILD_DIR:-$root/build}/bin/pelmaris" --demo "$@"
