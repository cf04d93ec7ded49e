#!/usr/bin/env bash
# Installs the Debian 12 packages that building, testing and running the
# project need. Run as root; does nothing when everything is there already.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config ccache
  clang libclang-rt-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libpugixml-dev uuid-dev libsqlite3-dev libpq-dev postgresql
  qt6-base-dev qt6-base-dev-tools libgl1-mesa-dev qt6-translations-l10n
  xvfb xauth x11-apps imagemagick qt6-qpa-plugins fonts-wqy-microhei
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
