#!/usr/bin/env bash
# CPU time Talvex spends while flying: opens a lesson with four stations and
# one aircraft carrying an HSI, a VOR indicator and a two-needle RMI tuned to
# them, radial and bearing lines on, the map about 1600 x 900, under Xvfb
# with a private home; presses "Start" and reads the process's user and
# system time from /proc over the given number of seconds.
#
#   bench/flying-cpu.sh [path/to/Talvex] [seconds]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
exe="${1:-$here/../build/Talvex}"
seconds="${2:-30}"
[ -x "$exe" ] || { echo "no executable at $exe" >&2; exit 1; }

source "$here/xvfb.sh"
start_xvfb 1920x1400x24
work="$(mktemp -d)"
pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; kill "$xvfb" 2>/dev/null || true; rm -rf "$work"' EXIT

mkdir -p "$work/config/Quellbach/Peilomat" "$work/data" "$work/runtime"
chmod 700 "$work/runtime"
# Window: 1600 wide; 900 for the map plus menu, control panel and status line.
printf '[Optionen]\r\nShowRadials=1\r\nShowRB=1\r\nInfo=0\r\n[frmMainTalvex]\r\nLeft=0\r\nTop=0\r\nWidth=1600\r\nHeight=1281\r\n' \
    >"$work/config/Quellbach/Peilomat/Talvex.ini"
cat >"$work/flug.json" <<'JSON'
{
  "format": "Peilomat-Szene",
  "version": "1.0",
  "aktivesFlugzeug": 1,
  "stationen": [
    {"typ": "VOR", "nummer": 1, "x": 700, "y": 300},
    {"typ": "NDB", "nummer": 1, "x": 1100, "y": 600},
    {"typ": "VOR", "nummer": 2, "x": 400, "y": 700},
    {"typ": "NDB", "nummer": 2, "x": 1400, "y": 200}
  ],
  "flugzeuge": [
    {
      "x": 150, "y": 450, "kurs": 80, "geschwindigkeit": 1, "sichtbar": true,
      "instrumente": [
        {"slot": 0, "typ": 5, "station": "VOR 1", "kurs": 90},
        {"slot": 1, "typ": 4, "station": "VOR 2", "obs": 45, "randmarke": false},
        {"slot": 2, "typ": 6, "station": "NDB 1", "station2": "VOR 1"}
      ]
    }
  ]
}
JSON

HOME="$work" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/runtime" \
    DISPLAY="$display" "$exe" "$work/flug.json" >"$work/log" 2>&1 &
pid=$!
window=""
for _ in $(seq 500); do
    for w in $(DISPLAY="$display" xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
        eval "$(DISPLAY="$display" xdotool getwindowgeometry --shell "$w" 2>/dev/null)" || continue
        if [ "${WIDTH:-0}" -ge 800 ]; then window=$w; fi
    done
    [ -n "$window" ] && break
    sleep 0.02
done
[ -n "$window" ] || { echo "no window" >&2; cat "$work/log" >&2; exit 1; }
sleep 1
# "Start" lies in the group "Animation" of the control column, at the bottom right.
eval "$(DISPLAY="$display" xdotool getwindowgeometry --shell "$window")"
start_x=$((WIDTH - ${START_FROM_RIGHT:-150}))
start_y=$((HEIGHT - ${START_FROM_BOTTOM:-150}))
DISPLAY="$display" xdotool mousemove --window "$window" "$start_x" "$start_y" click 1
sleep 1
ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
hz=$(getconf CLK_TCK)
before=$(ticks)
sleep "$seconds"
after=$(ticks)
DISPLAY="$display" import -window root "$work/shot.png" 2>/dev/null && cp "$work/shot.png" "${SHOT:-/dev/null}" 2>/dev/null || true
awk -v t=$((after - before)) -v hz="$hz" -v s="$seconds" \
    'BEGIN { printf "CPU over %d s: %.2f s, %.1f %% of one core\n", s, t / hz, 100 * t / hz / s }'
