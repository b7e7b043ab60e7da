#!/usr/bin/env bash
# Installs the Debian packages Peilomat needs (only those missing) and builds
# it in Release mode into ./build. Sourced by run.sh and test.sh.
set -euo pipefail

PEILOMAT_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
PEILOMAT_BUILD="${PEILOMAT_BUILD:-$PEILOMAT_ROOT/build}"

packages=(build-essential cmake ninja-build qt6-base-dev qt6-tools-dev qt6-tools-dev-tools
          libqt6help6 libqt6sql6-sqlite libxkbcommon-dev fonts-dejavu-core libbenchmark-dev xvfb xauth
          desktop-file-utils appstream openbox)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
if ((${#missing[@]})); then
    echo "Installiere fehlende Pakete: ${missing[*]}"
    sudo=""
    if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}"
fi

# Extra configure options of the caller (test.sh --sanitize sets some).
PEILOMAT_CMAKE_ARGS=("${PEILOMAT_CMAKE_ARGS[@]+"${PEILOMAT_CMAKE_ARGS[@]}"}")
cmake -S "$PEILOMAT_ROOT" -B "$PEILOMAT_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    "${PEILOMAT_CMAKE_ARGS[@]+"${PEILOMAT_CMAKE_ARGS[@]}"}" >/dev/null
cmake --build "$PEILOMAT_BUILD" -j "$(nproc)"
