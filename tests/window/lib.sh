# Shared by the real-window tests: each runs the real program under a
# private Xvfb, drives it with xdotool's real mouse input and judges it from
# screenshots, the way a player sees the screen. Xvfb alone has no window
# manager; with AMBRELIA_DESKTOP=openbox one runs on it, so that what a
# desktop does to a window (frames, titles, full screen) shows. With
# AMBRELIA_DESKTOP=weston the program runs on Qt's Wayland platform in a
# headless weston instead, judged from weston's screenshots; it has no
# input devices, so only what the program shows by itself can be checked.
#
# Usage in a test: source lib.sh "$@"   (first argument: the built program)

set -euo pipefail

if [ "${AMBRELIA_DESKTOP:-}" != weston ] && [ -z "${AMBRELIA_UNDER_XVFB:-}" ]; then
    export AMBRELIA_UNDER_XVFB=1
    exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi

PROGRAM=$(readlink -f "$1")
SCREEN_W=1280
SCREEN_H=1024
CONVERT=/usr/bin/convert

WORK=$(mktemp -d "${TMPDIR:-/tmp}/ambrelia-window.XXXXXX")
# The single-copy lock lives in XDG_RUNTIME_DIR: a folder of our own keeps
# these copies apart from any other copy on the machine.
export XDG_RUNTIME_DIR=$WORK/run
mkdir -m 700 "$XDG_RUNTIME_DIR"

STARTED=()
cleanup() {
    local pid
    for pid in "${STARTED[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${STARTED[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    if [ -f "$WORK/shot.png" ]; then
        local keep=${TMPDIR:-/tmp}/ambrelia-window-failure-$$.png
        cp "$WORK/shot.png" "$keep" && echo "last screenshot: $keep" >&2
    fi
    exit 1
}

note() { echo "-- $*"; }

# start_program FOLDER: runs FOLDER/ambrelia, sets PID.
start_program() {
    "$1/ambrelia" >"$WORK/program-$((${#STARTED[@]})).log" 2>&1 &
    PID=$!
    STARTED+=("$PID")
}

# A folder of its own for the program: App.Path is the folder of the real
# executable, so a copy (not a link) sees the content put beside it.
game_folder() {
    local dir=$WORK/game
    mkdir -p "$dir"
    cp "$PROGRAM" "$dir/ambrelia"
    echo "$dir"
}

shot() {
    if [ "$WINDOW_MANAGER" = weston ]; then
        rm -f "$WORK"/wayland-screenshot*.png
        (cd "$WORK" && weston-screenshooter >/dev/null 2>&1) || return 1
        mv "$WORK"/wayland-screenshot*.png "$WORK/shot.png"
    else
        import -window root "$WORK/shot.png"
    fi
}

# pixel X Y: the colour at X,Y of the last screenshot, as RRGGBB.
pixel() {
    "$CONVERT" "$WORK/shot.png" -crop "1x1+$1+$2" -depth 8 -format '%[hex:p{0,0}]' info: | cut -c1-6
}

# wait_for SECONDS COMMAND...: polls until COMMAND succeeds.
wait_for() {
    local limit=$1; shift
    local deadline=$((SECONDS + limit))
    while ! "$@"; do
        [ $SECONDS -lt $deadline ] || return 1
        sleep 0.3
    done
}

visible_windows_of() { xdotool search --onlyvisible --pid "$1" 2>/dev/null || true; }

# The 18 palette slots of the start window hold these 15 colours (RRGGBB).
PALETTE="FFC0C0 FF8080 FF8000 FFC080 FFFFC0 FFFF00 C04000 80FF80 00C000 C0FFFF 00FFFF C0C0FF FFC0FF E0E0E0 FF00FF"

is_palette_colour() { [[ " $PALETTE " == *" $1 "* ]]; }

# The start window covers the screen: its corners and edges, away from its
# three controls, show one and the same palette colour.
START_COLOUR=""
start_window_covers_screen() {
    shot
    local c p
    c=$(pixel 3 3)
    is_palette_colour "$c" || return 1
    for p in "$((SCREEN_W - 3)) 3" "3 $((SCREEN_H - 3))" "$((SCREEN_W - 3)) $((SCREEN_H - 3))" \
             "$((SCREEN_W / 2)) $((SCREEN_H - 3))" "$((SCREEN_W - 3)) $((SCREEN_H / 2))"; do
        [ "$(pixel $p)" = "$c" ] || return 1
    done
    START_COLOUR=$c
}

# A point of the start window's client area given in design twips
# (8745 x 6480), on the full screen.
start_point() {
    echo "$(( $1 * SCREEN_W / 8745 )) $(( $2 * SCREEN_H / 6480 ))"
}

click_at() {
    xdotool mousemove "$1" "$2"
    sleep 0.2
    xdotool click 1
}

# title_of WINDOW: the window's title as window managers read it first.
title_of() { xprop -id "$1" -notype _NET_WM_NAME 2>/dev/null | sed -n 's/^_NET_WM_NAME = "\(.*\)"$/\1/p'; }

# fills_screen WINDOW: the window's client area stands at the screen's corner
# with the screen's size; under a window manager the window is in its full
# screen state, so no frame, title bar or panel takes any of it.
fills_screen() {
    local info
    info=$(xwininfo -id "$1" 2>/dev/null) || return 1
    grep -q 'Absolute upper-left X: *0$' <<<"$info" || return 1
    grep -q 'Absolute upper-left Y: *0$' <<<"$info" || return 1
    grep -q "Width: *$SCREEN_W\$" <<<"$info" || return 1
    grep -q "Height: *$SCREEN_H\$" <<<"$info" || return 1
    [ -z "$WINDOW_MANAGER" ] || xprop -id "$1" _NET_WM_STATE | grep -q _NET_WM_STATE_FULLSCREEN
}

# only_window_fills_screen PID: the program shows one window, it fills the
# screen and its title is empty.
only_window_fills_screen() {
    local windows
    windows=$(visible_windows_of "$1")
    [ "$(wc -w <<<"$windows")" -eq 1 ] && fills_screen "$windows" && [ -z "$(title_of "$windows")" ]
}

# The desktop the program runs on.
WINDOW_MANAGER=${AMBRELIA_DESKTOP:-}
export QT_QPA_PLATFORM=xcb
if [ "$WINDOW_MANAGER" = weston ]; then
    # Pixman draws the screen the screenshots read; --debug lets the
    # screenshot client in; never idle, so the screen is not blanked.
    weston --backend=headless-backend.so --use-pixman --width=$SCREEN_W --height=$SCREEN_H \
        --socket=ambrelia-test --idle-time=0 --debug >"$WORK/weston.log" 2>&1 &
    STARTED+=("$!")
    weston_ready() { [ -S "$XDG_RUNTIME_DIR/ambrelia-test" ] && grep -q 'launching.*desktop-shell' "$WORK/weston.log"; }
    wait_for 20 weston_ready || fail "weston did not start"
    export WAYLAND_DISPLAY=ambrelia-test QT_QPA_PLATFORM=wayland
    unset DISPLAY
elif [ "$WINDOW_MANAGER" = openbox ]; then
    # A settings folder of its own: the default theme and behaviour.
    HOME=$WORK/home openbox --sm-disable >"$WORK/openbox.log" 2>&1 &
    STARTED+=("$!")
    openbox_ready() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
    wait_for 20 openbox_ready || fail "openbox did not start"
fi
