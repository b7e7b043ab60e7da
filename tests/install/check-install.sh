#!/bin/sh
# Installs the build into a throw-away DESTDIR and checks what a desktop and a
# package manager see: every file in its place, a valid desktop entry and
# AppStream record, and an installed program that starts from there, finds its
# skin and help files and shows no message box.
#
# check-install.sh CMAKE BUILD_DIR APP_ID "sizes=16 22 ..." "help=FILE ..." log=0|1
#   help: the help files of the build (may be empty)
#   log: 1 when the program has its debug log
set -u
cmake=$1 build=$2 app=$3 sizes=${4#sizes=} help=${5#help=} haslog=${6#log=}

work=$(mktemp -d "${TMPDIR:-/tmp}/peilomat-install.XXXXXX") || exit 1
pid=
cleanup() {
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
        kill "$pid"; sleep 1; kill -9 "$pid" 2>/dev/null; wait "$pid" 2>/dev/null
    fi
    rm -rf "$work"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

DESTDIR="$work/root" "$cmake" --install "$build" --prefix /usr >"$work/install.txt" 2>&1 ||
    { cat "$work/install.txt"; echo "FAIL: cmake --install"; exit 1; }
prefix="$work/root/usr"

expected="bin/Talvex share/peilomat/MP10.ssk
share/applications/$app.desktop share/metainfo/$app.metainfo.xml share/mime/packages/$app.xml
share/icons/hicolor/scalable/apps/$app.svg share/man/de/man1/Talvex.1 share/doc/peilomat/copyright"
for size in $sizes; do expected="$expected share/icons/hicolor/${size}x${size}/apps/$app.png"; done
for file in $help; do expected="$expected share/peilomat/$(basename "$file")"; done
for file in $expected; do
    [ -f "$prefix/$file" ] || fail "$file is not installed"
done
[ -x "$prefix/bin/Talvex" ] || fail "bin/Talvex is not executable"
for size in $sizes; do
    png="$prefix/share/icons/hicolor/${size}x${size}/apps/$app.png"
    [ -f "$png" ] || continue
    # Width and height are the big-endian words at bytes 16 and 20 of a PNG.
    dims=$(od -An -tu1 -j16 -N8 "$png" | awk '{print $3*256+$4 "x" $7*256+$8}')
    [ "$dims" = "${size}x${size}" ] || fail "$size px icon is $dims"
done

if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate --no-hints "$prefix/share/applications/$app.desktop" || fail "desktop-file-validate"
else
    fail "desktop-file-validate is missing (Debian package desktop-file-utils)"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$prefix/share/metainfo/$app.metainfo.xml" || fail "appstreamcli validate"
else
    fail "appstreamcli is missing (Debian package appstream)"
fi

# Scene files are a type of their own that the desktop entry opens.
grep -qx 'MimeType=application/x-peilomat;' "$prefix/share/applications/$app.desktop" ||
    fail "the desktop entry does not declare application/x-peilomat"
grep -q '^Exec=Talvex %f$' "$prefix/share/applications/$app.desktop" || fail "the desktop entry passes no file"
if command -v update-mime-database >/dev/null; then
    mkdir -p "$work/mime/packages"
    cp "$prefix/share/mime/packages/$app.xml" "$work/mime/packages/"
    update-mime-database "$work/mime" >/dev/null 2>&1 || fail "update-mime-database"
    grep -q '\*\.peilomat' "$work/mime/globs2" 2>/dev/null || fail "*.peilomat is not in the MIME database"
    [ -f "$work/mime/application/x-peilomat.xml" ] || fail "application/x-peilomat is not defined"
else
    fail "update-mime-database is missing (Debian package shared-mime-info)"
fi

# The installed program, with a home of its own and a screen big enough for it.
home="$work/home"
mkdir -p "$home/config" "$home/data" "$home/cache" "$home/runtime" "$home/tmp"
chmod 700 "$home/runtime"
printf '%s' '{"screens": [{"name": "big", "x": 0, "y": 0, "width": 1280, "height": 1024, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]}' >"$work/screen.json"
# Run as root (a build container), the program could write anywhere; as an
# ordinary user it meets the read-only folders of a real installation.
as_user=
if [ "$(id -u)" = 0 ] && command -v setpriv >/dev/null && id nobody >/dev/null 2>&1; then
    as_user="setpriv --reuid=nobody --regid=$(id -g nobody) --clear-groups --"
    chmod 755 "$work"
    chown -R nobody "$home"
fi
run() {
    $as_user env HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" XDG_CACHE_HOME="$home/cache" \
        XDG_RUNTIME_DIR="$home/runtime" TMPDIR="$home/tmp" QT_QPA_PLATFORM="offscreen:configfile=$work/screen.json" \
        QT_MESSAGE_PATTERN="qt: %{message}" "$prefix/bin/Talvex" "$@"
}
# Without a screen a message box writes its text to stderr instead of waiting
# for a click; everything Qt itself reports carries the "qt: " prefix.
message_boxes() { grep -v '^qt: ' "$work/stderr.txt"; }
logfile() {
    for dir in "$prefix/bin" "$home/tmp"; do
        if [ -f "$dir/HHDebug.txt" ]; then iconv -f UTF-16 -t UTF-8 "$dir/HHDebug.txt"; return; fi
    done
}

skin="$prefix/share/peilomat/MP10.ssk"
# Starts the installed program with the given arguments, waits until it is up
# (its log names the skin file, or its data folders exist), and ends it with
# -quit, failing at once on a message box and never waiting long.
start_and_quit() {
    : >"$work/stdout.txt"; : >"$work/stderr.txt"
    run "$@" >>"$work/stdout.txt" 2>>"$work/stderr.txt" &
    pid=$!
    ready=0
    for _ in $(seq 1 100); do
        if message_boxes >/dev/null; then break; fi
        if ! kill -0 "$pid" 2>/dev/null; then break; fi
        if [ "$haslog" = 1 ]; then
            log=$(logfile)
            case "$log" in *"$skin"*) ready=1; break ;; esac
        elif [ -f "$home/config/Quellbach/Peilomat/Talvex.ini" ] || [ -d "$home/data/Quellbach/Peilomat" ]; then
            ready=1; break
        fi
        sleep 0.1
    done
    boxes=0
    if message_boxes >/dev/null; then
        fail "the installed program showed a message box:"; message_boxes; boxes=1
    elif ! kill -0 "$pid" 2>/dev/null; then
        wait "$pid"; fail "the installed program ended by itself (exit code $?)"; cat "$work/stderr.txt"
    elif [ "$ready" != 1 ]; then
        fail "the installed program did not finish starting within 10 s"
    fi

    if kill -0 "$pid" 2>/dev/null; then
        quit_rc=0
        ( run -quit >/dev/null 2>&1 ) & quitter=$!
        for _ in $(seq 1 100); do kill -0 "$quitter" 2>/dev/null || break; sleep 0.1; done
        if kill -0 "$quitter" 2>/dev/null; then
            kill -9 "$quitter" 2>/dev/null; fail "Talvex -quit did not return within 10 s"
        else
            wait "$quitter" || quit_rc=$?
            [ "$quit_rc" = 0 ] || fail "Talvex -quit ended with exit code $quit_rc"
        fi
        for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        if kill -0 "$pid" 2>/dev/null; then
            fail "the installed program did not end on -quit"
            kill -9 "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; pid=
        else
            wait "$pid" || fail "the installed program ended with an error"
            pid=
        fi
    fi
    if [ "$boxes" = 0 ] && message_boxes >/dev/null; then fail "a message box appeared on the way out:"; message_boxes; fi
}

start_and_quit -debug

if [ "$haslog" = 1 ]; then
    log=$(logfile)
    [ -n "$log" ] || fail "no HHDebug.txt written with -debug"
    if [ -n "$as_user" ] || [ "$(id -u)" != 0 ]; then
        [ -f "$home/tmp/HHDebug.txt" ] || fail "HHDebug.txt is not in the temporary folder"
    fi
    case "$log" in *"$skin"*) ;; *) fail "the debug log does not name the skin file $skin" ;; esac
    if [ -n "$help" ]; then
        opened=0
        for file in $help; do
            case "$log" in *"$prefix/share/peilomat/$(basename "$file")"*) opened=1 ;; esac
        done
        [ "$opened" = 1 ] || fail "the debug log names no help file in share/peilomat/"
    fi
    [ "$failures" = 0 ] && [ -z "${PEILOMAT_SHOW_LOG:-}" ] || { echo "--- HHDebug.txt"; echo "$log"; }
fi

# "debug.debug" in the installed data folder switches the log on as well.
if [ "$haslog" = 1 ]; then
    rm -f "$prefix/bin/HHDebug.txt" "$home/tmp/HHDebug.txt"
    : >"$prefix/share/peilomat/debug.debug"
    start_and_quit
    rm -f "$prefix/share/peilomat/debug.debug"
    case "$(logfile)" in
    *"$skin"*) ;;
    *) fail "share/peilomat/debug.debug did not switch the debug log on" ;;
    esac
fi

[ "$failures" = 0 ] && echo "installed layout, desktop entry, AppStream record and installed start are fine"
[ "$failures" = 0 ]
