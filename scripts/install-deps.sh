#!/usr/bin/env bash
# Installs the Debian packages that the build and the tests need, only those missing.
# With BRINDLEMOX_FUZZ=1 in the environment, or the argument --fuzz, also clang
# and its libFuzzer and sanitizer runtimes for the fuzz build.
set -euo pipefail

fuzz="${BRINDLEMOX_FUZZ:-0}"
for arg in "$@"; do
  case "$arg" in
    --fuzz) fuzz=1 ;;
    *) echo "usage: $0 [--fuzz]" >&2; exit 2 ;;
  esac
done

packages=(
  cmake ninja-build g++ pkg-config make
  zlib1g-dev libminizip-dev
  qt6-base-dev libxcb1-dev libsdl2-dev libregina3-dev
  libgtest-dev libgmock-dev libbenchmark-dev binutils
  ccache
  pngcheck imagemagick netpbm libtiff-tools sox python3-mido
  xvfb x11-utils xdotool qt6-qpa-plugins openbox twm
  socat
)
if [ "$fuzz" != "0" ] && [ -n "$fuzz" ]; then
  packages+=(clang libclang-rt-14-dev)
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

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi

echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
