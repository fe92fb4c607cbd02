#!/usr/bin/env bash
# Installs what the build needs (Debian 12, as root) and builds into ./build.
# Sourced by start.sh and test.sh; safe to run again.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${AEROLYX_BUILD_DIR:-$ROOT/build}"

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libqt6sql6-psql libqt6sql6-odbc
  libqt6opengl6-dev qt6-charts-dev libqt6svg6-dev qt6-image-formats-plugins libgl1-mesa-dev
  sqlite3 libsqlite3-dev libgtest-dev libgmock-dev libbenchmark-dev
  fonts-dejavu-core postgresql
  file desktop-file-utils
  clang-14 libfuzzer-14-dev libclang-rt-14-dev
)

install_packages() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    local SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO="sudo"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}

build() {
  local type="${AEROLYX_BUILD_TYPE:-RelWithDebInfo}"
  cmake -S "$ROOT" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE="$type" ${AEROLYX_CMAKE_ARGS:-}
  cmake --build "$BUILD_DIR" -j "$(nproc)"
}

install_packages
build
