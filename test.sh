#!/usr/bin/env bash
# Builds Peilomat (installing what is missing) and runs every test headless.
#
#   ./test.sh [ctest options]              Release build in build/
#   ./test.sh --sanitize [ctest options]   AddressSanitizer (with LeakSanitizer) and
#                                          UndefinedBehaviorSanitizer build in build-asan/;
#                                          the first finding ends the test that made it
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
sanitize=0
if [ "${1:-}" = "--sanitize" ]; then
    sanitize=1
    shift
    PEILOMAT_BUILD="${PEILOMAT_SANITIZE_BUILD:-$here/build-asan}"
    PEILOMAT_CMAKE_ARGS=(-DPEILOMAT_SANITIZE=ON)
fi
source "$here/scripts/setup.sh"
cd "$PEILOMAT_BUILD"
if ((sanitize)); then
    # Every child process the tests start (the program, the probe) inherits these.
    export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:abort_on_error=0"
    export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
    export LSAN_OPTIONS="suppressions=$here/tests/lsan.supp:print_suppressions=0"
fi
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)" "$@"
