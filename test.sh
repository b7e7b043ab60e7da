#!/usr/bin/env bash
# Builds Peilomat (installing what is missing) and runs every test headless.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/scripts/setup.sh"
cd "$PEILOMAT_BUILD"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)" "$@"
