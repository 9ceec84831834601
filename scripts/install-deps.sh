#!/usr/bin/env bash
# Installs every Debian package the project needs. Idempotent and silent when
# everything is already present; otherwise runs apt-get (as root, or via sudo).
set -euo pipefail

packages=(
  build-essential
  cmake
  g++
  make
  pkg-config
  libgtest-dev
  libgmock-dev
  libbenchmark-dev
  libcli11-dev
  qt6-base-dev
  qt6-charts-dev
  libqt6opengl6-dev
  clang
  libclang-rt-14-dev
  libfann-dev
  fonts-liberation
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then SUDO="sudo"; else
    echo "install-deps: missing packages (${missing[*]}) and not root; install them as root." >&2
    exit 1
  fi
fi

echo "install-deps: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq >&2
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
