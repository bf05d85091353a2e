# Shared by the real-window tests: each runs the real program under a
# private Xvfb (no window manager), drives it with xdotool's real mouse
# input and judges it from screenshots, the way a player sees the screen.
#
# Usage in a test: source lib.sh "$@"   (first argument: the built program)

set -euo pipefail

if [ -z "${AMBRELIA_UNDER_XVFB:-}" ]; then
    export AMBRELIA_UNDER_XVFB=1
    exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi

PROGRAM=$(readlink -f "$1")
SCREEN_W=1280
SCREEN_H=1024
CONVERT=/usr/bin/convert

export QT_QPA_PLATFORM=xcb
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

shot() { import -window root "$WORK/shot.png"; }

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
