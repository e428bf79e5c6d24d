#!/usr/bin/env bash
# Installs the Debian packages that the build and the tests need, only those missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config make
  zlib1g-dev libminizip-dev
  qt6-base-dev libsdl2-dev libregina3-dev
  libgtest-dev libgmock-dev libbenchmark-dev binutils
  ccache
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi

echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
