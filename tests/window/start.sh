#!/usr/bin/env bash
# The real program starts and its start window covers the screen in one of
# the palette colours, with the start button where the design puts it. On
# Wayland (AMBRELIA_DESKTOP=weston) the covered screen also shows that the
# window is in full screen: nothing of weston's panel or of a title bar.
source "$(dirname "$0")/lib.sh" "$@"

start_program "$(dirname "$PROGRAM")"
wait_for 30 start_window_covers_screen || fail "no start window covering the screen"
note "start window in $START_COLOUR"

if [ "$WINDOW_MANAGER" != weston ]; then
    [ -n "$(visible_windows_of "$PID")" ] || fail "the program shows no window of its own"
fi
kill -0 "$PID" || fail "the program ended"

# The button face is not the background: it stands at its proportional place.
read -r bx by < <(start_point $((2640 + 4110 / 2)) $((4680 + 1275 * 3 / 4)))
[ "$(pixel "$bx" "$by")" != "$START_COLOUR" ] || fail "no start button at $bx,$by"
# Between the title and the button there is only background.
read -r gx gy < <(start_point 7000 4500)
[ "$(pixel "$gx" "$gy")" = "$START_COLOUR" ] || fail "something unexpected at $gx,$gy"
echo "PASS"
