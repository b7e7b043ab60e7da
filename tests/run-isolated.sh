#!/bin/sh
# Runs one test executable with its own throw-away XDG folders.
set -u
home=$(mktemp -d "${TMPDIR:-/tmp}/peilomat-test.XXXXXX") || exit 1
mkdir -p "$home/config" "$home/data" "$home/runtime" "$home/cache"
chmod 700 "$home/runtime"
export XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data"
export XDG_RUNTIME_DIR="$home/runtime" XDG_CACHE_HOME="$home/cache"
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
"$@"
rc=$?
rm -rf "$home"
exit $rc
