#!/usr/bin/env bash
# Builds Peilomat (installing what is missing) and starts it.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/scripts/setup.sh"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "Peilomat braucht eine grafische Sitzung (kein DISPLAY gesetzt). Ohne Bildschirm hilft: xvfb-run -a ./run.sh" >&2
    exit 1
fi
exec "$PEILOMAT_BUILD/Talvex" "$@"
