#!/usr/bin/env bash
# End-to-end suite: starts a private X server, window manager, tray, session bus,
# notification daemon and null audio sink, then drives the real binary with xdotool.
# Usage: run.sh VEMRA_BINARY BUILD_DIR
# Every suite-*.sh beside this file is sourced in name order; each uses the helpers below.
# Only processes this script started are ended, by their id.
set -uo pipefail

VEMRA=$(readlink -f "$1")
BUILD=$(readlink -f "$2")
HERE=$(cd "$(dirname "$0")" && pwd)
SHOTS="$BUILD/screenshots/e2e"
mkdir -p "$SHOTS"

W=$(mktemp -d /tmp/vemra-e2e.XXXXXX)
PIDS=()
VEMRA_PID=

cleanup() {
    local i
    for ((i = ${#PIDS[@]} - 1; i >= 0; i--)); do
        kill "${PIDS[i]}" 2>/dev/null
    done
    for ((i = ${#PIDS[@]} - 1; i >= 0; i--)); do
        wait "${PIDS[i]}" 2>/dev/null
    done
    rm -rf "$W"
}
trap cleanup EXIT

PASSED=0
FAILED=0
pass() { PASSED=$((PASSED + 1)); echo "PASS: $*"; }
fail() { FAILED=$((FAILED + 1)); echo "FAIL: $*"; }
# check "what" command...: the command's status decides.
check() {
    local what=$1
    shift
    if "$@"; then pass "$what"; else fail "$what"; fi
}

# wait_until SECONDS command...: polls every 0.1 s; false when the time runs out.
wait_until() {
    local limit=$1
    shift
    local end=$((SECONDS + limit))
    while ((SECONDS < end)); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    return 1
}

die() {
    echo "e2e: $*" >&2
    echo "$PASSED passed, $((FAILED + 1)) failed"
    exit 1
}

# --- the private desktop --------------------------------------------------------------
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$W/dpy" 2>"$W/xvfb.log" &
PIDS+=($!)
wait_until 10 test -s "$W/dpy" || die "Xvfb did not start"
export DISPLAY=":$(head -1 "$W/dpy")"

export HOME="$W/home"
export XDG_CONFIG_HOME="$HOME/.config" XDG_DATA_HOME="$HOME/.local/share" XDG_CACHE_HOME="$HOME/.cache"
export XDG_RUNTIME_DIR="$W/rt"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME"
mkdir -m 700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM=xcb LANG=en_US.UTF-8 LC_ALL=C.UTF-8
unset SESSION_MANAGER XDG_SESSION_TYPE WAYLAND_DISPLAY

dbus-daemon --session --nofork --nopidfile --address="unix:path=$W/bus" --print-address=1 >"$W/addr" 2>"$W/dbus.log" &
PIDS+=($!)
wait_until 10 test -s "$W/addr" || die "no session bus"
export DBUS_SESSION_BUS_ADDRESS=$(head -1 "$W/addr")

openbox >"$W/openbox.log" 2>&1 &
PIDS+=($!)
wait_until 10 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' || die "openbox did not start"

# start_trayer [options...]: the tray at the bottom right; TRAYER_PID is its id.
start_trayer() {
    trayer --edge bottom --align right --widthtype pixel --width 200 --height 32 "$@" >>"$W/trayer.log" 2>&1 &
    TRAYER_PID=$!
    PIDS+=("$TRAYER_PID")
    wait_until 10 xdotool search --class trayer
}
start_trayer || die "trayer did not start"

dunst >"$W/dunst.log" 2>&1 &
PIDS+=($!)
wait_until 10 sh -c 'dbus-send --session --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.NameHasOwner string:org.freedesktop.Notifications | grep -q true' \
    || echo "e2e: dunst is not answering (notifications unchecked)"

pulseaudio -n --daemonize=no --exit-idle-time=-1 --disable-shm=yes \
    --load="module-native-protocol-unix socket=$W/pulse auth-anonymous=1" --load=module-null-sink >"$W/pulse.log" 2>&1 &
PIDS+=($!)
export PULSE_SERVER="unix:$W/pulse"
wait_until 10 pactl info || echo "e2e: no audio sink (sounds unchecked)"

# --- helpers for the suites ------------------------------------------------------------
# start_vemra [args...]: starts the binary in the background; VEMRA_PID is its id.
start_vemra() {
    "$VEMRA" "$@" >>"$W/vemra.log" 2>&1 &
    VEMRA_PID=$!
    PIDS+=("$VEMRA_PID")
}

# stop_vemra: ends the running instance and waits for it.
stop_vemra() {
    [ -n "$VEMRA_PID" ] || return 0
    kill "$VEMRA_PID" 2>/dev/null
    wait "$VEMRA_PID" 2>/dev/null
    VEMRA_PID=
}

# Ended, or a zombie not yet reaped (a child of this script, or an orphan of scripts/run where
# nothing reaps them).
ended() { [ ! -e "/proc/$1" ] || grep -q '^State:\s*Z' "/proc/$1/status"; }
vemra_running() { [ -n "$VEMRA_PID" ] && kill -0 "$VEMRA_PID" 2>/dev/null; }

# The tray icon: the window of our process that trayer embedded.
tray_icon_window() {
    local w
    for w in $(xdotool search --pid "$VEMRA_PID" 2>/dev/null); do
        is_in_tray "$w" && { echo "$w"; return 0; }
    done
    return 1
}

# True when window $1 has a trayer window among its ancestors.
is_in_tray() {
    local w=$1 parent trayers
    trayers=" $(xdotool search --class trayer | tr '\n' ' ') "
    for _ in 1 2 3 4 5 6; do
        parent=$(timeout 5 xwininfo -id "$w" -children 2>/dev/null | sed -n 's/.*Parent window id: \(0x[0-9a-f]*\).*/\1/p')
        { [ -n "$parent" ] && [ "$((parent))" -ne 0 ]; } || return 1
        [[ $trayers == *" $((parent)) "* ]] && return 0
        w=$parent
    done
    return 1
}

# window_geometry WINDOW: prints "X Y W H" in root coordinates.
window_geometry() {
    local X= Y= WIDTH= HEIGHT= SCREEN= WINDOW= shell
    # A window that went meanwhile prints nothing, which eval would take as success.
    shell=$(xdotool getwindowgeometry --shell "$1" 2>/dev/null) || return 1
    eval "$shell"
    [ -n "$X" ] && [ -n "$HEIGHT" ] || return 1
    echo "$X $Y $WIDTH $HEIGHT"
}

# tray_icon_geometry: "X Y W H" of the tray icon, looked up afresh a few times: the tray may
# embed the icon anew (another window) between a lookup and its use.
tray_icon_geometry() {
    local icon
    for _ in 1 2 3 4 5 6 7 8 9 10; do
        icon=$(tray_icon_window) && window_geometry "$icon" && return 0
        sleep 0.2
    done
    return 1
}

# The open panel: a viewable top-level window of our process named "Vemra" with the panel's class.
panel_window() {
    local w
    for w in $(xdotool search --all --onlyvisible --pid "$VEMRA_PID" --name '^Vemra$' 2>/dev/null); do
        if xprop -id "$w" _VEMRA_SURFACE 2>/dev/null | grep -q '"panel"'; then
            echo "$w"
            return 0
        fi
    done
    return 1
}
panel_shown() { panel_window >/dev/null; }
panel_hidden() { ! panel_window >/dev/null; }
# The tab the panel shows, from the window's _VEMRA_TAB property.
panel_tab() {
    local w
    w=$(panel_window) || return 1
    xprop -id "$w" _VEMRA_TAB | sed -n 's/.*= "\(.*\)"/\1/p'
}
panel_on_tab() { [ "$(panel_tab)" = "$1" ]; }

screenshot() { import -window root "$SHOTS/$1.png" 2>/dev/null; }

README="$HERE/../../README.md"
# readme_block HEADING [LABEL]: the first ```sh block of the README within the section whose
# heading is HEADING ("## Uninstall", "### dunst"), after the line LABEL if given, as a reader
# copies it.
readme_block() {
    awk -v heading="$1" -v label="${2:-}" '
        /^```/ && !copying { fenced = !fenced }
        /^#/ && !fenced { if (within) exit; within = ($0 == heading); found = (label == ""); next }
        within && !fenced && $0 == label { found = 1; next }
        within && found && $0 == "```sh" { copying = 1; next }
        copying && $0 == "```" { exit }
        copying { print }' "$README"
}
# readme_recipe DESKTOP NAME: the README's script NAME ("Vemra Focus On") for DESKTOP ("dunst").
readme_recipe() { readme_block "### $1" "\`$2\`:"; }

# --- the suites ------------------------------------------------------------------------
# E2E_ONLY=15 runs only the suites whose names start with suite-15.
for suite in "$HERE"/suite-${E2E_ONLY:-}*.sh; do
    [ -f "$suite" ] || continue
    echo "== $(basename "$suite")"
    # shellcheck source=/dev/null
    source "$suite"
    stop_vemra
done

# A sanitizer build's report fails the run, also one no check saw (a leak found at exit).
sanitized='^==[0-9]+==ERROR: |: runtime error: '
if grep -qE "$sanitized" "$W/vemra.log" 2>/dev/null; then
    fail "the sanitizers found nothing"
    grep -E -A 20 "$sanitized" "$W/vemra.log" | head -n 100
fi
if [ "$FAILED" -gt 0 ]; then
    echo "--- vemra.log"; tail -n 50 "$W/vemra.log" 2>/dev/null
fi
echo "$PASSED passed, $FAILED failed"
[ "$FAILED" -eq 0 ]
