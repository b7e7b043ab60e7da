# Sourced by the measuring scripts: starts a private Xvfb and waits until it
# takes connections. Xvfb picks a free display number itself and reports it
# when it is ready, so two scripts at once never share or race for a display,
# and no program is started against a server that is not up yet (Qt ends a
# program that cannot reach its display with SIGABRT).
#
#   start_xvfb WIDTHxHEIGHTxDEPTH    sets $display and $xvfb (the server's pid)
start_xvfb() {
    local ready
    ready="$(mktemp -u)"
    mkfifo "$ready"
    Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp 3>"$ready" >/dev/null 2>&1 &
    xvfb=$!
    local number=""
    # The read ends when Xvfb writes its number, or gives up after 30 s.
    read -r -t 30 number <"$ready" || true
    rm -f "$ready"
    if [ -z "$number" ]; then
        echo "Xvfb did not start" >&2
        kill "$xvfb" 2>/dev/null || true
        return 1
    fi
    display=":$number"
}
