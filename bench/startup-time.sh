#!/usr/bin/env bash
# How long Talvex takes from its start until its main window is on screen:
# starts it the given number of times under Xvfb, each time with a private
# home whose settings switch the option "Info" off, waits for the window to
# be mapped and visible, and prints every start and the median in ms.
#
#   bench/startup-time.sh [path/to/Talvex] [starts]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
exe="${1:-$here/../build/Talvex}"
runs="${2:-10}"
[ -x "$exe" ] || { echo "no executable at $exe" >&2; exit 1; }

source "$here/xvfb.sh"
start_xvfb 1280x1024x24
work="$(mktemp -d)"
trap 'kill "$xvfb" 2>/dev/null || true; rm -rf "$work"' EXIT

# The main window, not a message box: a visible window of the process at
# least as wide as the window's smallest size.
main_window_shown() {
    local w
    for w in $(DISPLAY="$display" xdotool search --onlyvisible --pid "$1" 2>/dev/null); do
        eval "$(DISPLAY="$display" xdotool getwindowgeometry --shell "$w" 2>/dev/null)" || continue
        [ "${WIDTH:-0}" -ge 800 ] && return 0
    done
    return 1
}

times=()
for i in $(seq "$runs"); do
    home="$work/home$i"
    mkdir -p "$home/config/Quellbach/Peilomat" "$home/data" "$home/runtime"
    chmod 700 "$home/runtime"
    printf '[Optionen]\r\nInfo=0\r\n' >"$home/config/Quellbach/Peilomat/Talvex.ini"
    start=$(date +%s%N)
    HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" XDG_RUNTIME_DIR="$home/runtime" \
        DISPLAY="$display" "$exe" >/dev/null 2>&1 &
    pid=$!
    shown=""
    for _ in $(seq 2000); do
        if main_window_shown "$pid"; then
            shown=$(date +%s%N)
            break
        fi
        sleep 0.002
    done
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    [ -n "$shown" ] || { echo "start $i: no window" >&2; continue; }
    ms=$(((shown - start) / 1000000))
    times+=("$ms")
    echo "start $i: $ms ms"
done
[ ${#times[@]} -gt 0 ] || exit 1
median=$(printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}')
echo "median of ${#times[@]} starts: $median ms"
