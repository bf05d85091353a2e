#!/usr/bin/env bash
# A second copy shows the "Error" box and no other window, and ends once
# the box is answered; the first copy goes on untouched.
source "$(dirname "$0")/lib.sh" "$@"

folder=$(dirname "$PROGRAM")
start_program "$folder"
first=$PID
wait_for 30 start_window_covers_screen || fail "the first copy shows no start window"
colour=$START_COLOUR

start_program "$folder"
second=$PID
find_error_box() { box=$(xdotool search --onlyvisible --name '^Error$' 2>/dev/null | head -n1); [ -n "$box" ]; }
wait_for 30 find_error_box || fail "the second copy shows no Error box"
note "Error box $box"
[ "$(title_of "$box")" = "Error" ] || fail "the box is titled '$(title_of "$box")'"

# Everything the second copy shows is that one box.
sleep 1
windows=$(visible_windows_of "$second")
[ "$windows" = "$box" ] || fail "the second copy shows other windows: $windows"
kill -0 "$second" || fail "the second copy ended before the box was answered"

timeout 5 xdotool windowfocus --sync "$box" 2>/dev/null || true
xdotool key Return
ended() { ! kill -0 "$second" 2>/dev/null; }
wait_for 20 ended || fail "the second copy did not end after the box"
rc=0; wait "$second" || rc=$?
note "second copy ended with status $rc"

kill -0 "$first" || fail "the first copy ended too"
shot
[ "$(pixel 3 3)" = "$colour" ] || fail "the first copy's start window is gone"
[ -z "$(xdotool search --onlyvisible --name '^Error$' 2>/dev/null)" ] || fail "the Error box is still shown"
echo "PASS"
