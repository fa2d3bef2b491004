#!/usr/bin/env bash
# Installs what building, testing and benchmarking need on Debian 12 (with --package, also
# what packaging needs).
# Does nothing (and needs no network) when everything is already there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config git
  qt6-base-dev qt6-base-dev-tools qt6-charts-dev libqt6opengl6-dev libqt6sql6-sqlite libqt6sql6-psql
  libgl-dev libsqlite3-dev libpq-dev postgresql
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-liberation2 fonts-dejavu-core qt6-translations-l10n
  xvfb xauth poppler-utils unzip
  pxlib-dev libzint-dev libxlsxwriter-dev libdeflate-dev
  clang libclang-rt-dev clang-tidy
)

# With --package, also what makes and checks the Debian package (tools/package.sh): not
# needed to build or test, and lintian alone brings in a hundred packages.
if [ "${1:-}" = "--package" ]; then
  packages+=(
    dpkg-dev
    file
    lintian
    appstream
  )
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
