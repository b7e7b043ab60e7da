#!/bin/sh
# Runs one test program on an X server of its own with a real window manager
# (openbox), so that its windows get frames as on a desktop. Exits 77 (the test
# is skipped) when no X server or window manager can be started.
set -u
skip() {
    echo "SKIP: $1"
    exit 77
}
command -v Xvfb >/dev/null 2>&1 || skip "Xvfb is not installed"
command -v openbox >/dev/null 2>&1 || skip "openbox is not installed"

work=$(mktemp -d "${TMPDIR:-/tmp}/peilomat-wm.XXXXXX") || exit 1
xpid=
wmpid=
cleanup() {
    [ -n "$wmpid" ] && kill "$wmpid" 2>/dev/null
    [ -n "$xpid" ] && kill "$xpid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

# -displayfd: the server picks a free display number and tells it.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xpid=$!
for _ in $(seq 1 100); do
    [ -s "$work/display" ] && break
    kill -0 "$xpid" 2>/dev/null || break
    sleep 0.1
done
[ -s "$work/display" ] || skip "Xvfb did not start: $(tail -n 3 "$work/xvfb.log")"
DISPLAY=":$(head -n 1 "$work/display")"
export DISPLAY

HOME="$work" XDG_CONFIG_HOME="$work" openbox --sm-disable >"$work/openbox.log" 2>&1 &
wmpid=$!
sleep 1
kill -0 "$wmpid" 2>/dev/null || skip "openbox did not start: $(tail -n 3 "$work/openbox.log")"

QT_QPA_PLATFORM=xcb
export QT_QPA_PLATFORM
sh "$(dirname "$0")/run-isolated.sh" "$@"
rc=$?
exit $rc
