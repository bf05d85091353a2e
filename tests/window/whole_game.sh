#!/usr/bin/env bash
# A whole game with the mouse: "Avvio", read the dealt order off the screen,
# a wrong confirmation (sad face), the slots dragged into order, a right
# confirmation (smiling face), then "Esci" answered Yes ends with status 0.
source "$(dirname "$0")/lib.sh" "$@"

# One story whose five pictures are plain colours, scene k in colour k.
COLOURS=(FF0000 00FF00 0000FF FFFF00 FF00FF)
folder=$(game_folder)
mkdir -p "$folder/gif/storia" "$folder/suoni"
for k in 1 2 3 4 5; do
    "$CONVERT" -size 48x48 "xc:#${COLOURS[k - 1]}" "$folder/gif/storia/storia$k.gif"
done
# A one-frame movie: header, 550 x 400 pixel stage, 12 frames a second,
# a white background, one frame shown, end.
printf '\x46\x57\x53\x06\x1e\x00\x00\x00\x78\x00\x05\x5f\x00\x00\x0f\xa0\x00\x00\x0c\x01\x00\x43\x02\xff\xff\xff\x40\x00\x00\x00' \
    >"$folder/gif/storia.swf"

start_program "$folder"
game=$PID
wait_for 30 start_window_covers_screen || fail "no start window"
wait_for 10 only_window_fills_screen "$game" || fail "the start window does not fill the screen untitled"
read -r ax ay < <(start_point $((2640 + 4110 / 2)) $((4680 + 1275 / 2)))
note "pressing Avvio at $ax,$ay"
click_at "$ax" "$ay"

# The exercise window covers the screen in its orange below its menu bar.
ORANGE=FF8000
MENU_H=0
exercise_window_shown() {
    shot
    [ "$(pixel 3 $((SCREEN_H - 3)))" = "$ORANGE" ] || return 1
    [ "$(pixel $((SCREEN_W - 3)) $((SCREEN_H - 3)))" = "$ORANGE" ] || return 1
    # The menu bar is what stands above the first orange row.
    MENU_H=$("$CONVERT" "$WORK/shot.png" -crop 1x200+3+0 -depth 8 txt:- |
        awk -v c="#$ORANGE" 'index($0, c) { split($1, a, "[,:]"); print a[2]; exit }')
    [ -n "$MENU_H" ] && [ "$MENU_H" -gt 0 ]
}
wait_for 30 exercise_window_shown || fail "no exercise window after Avvio"
wait_for 10 only_window_fills_screen "$game" || fail "the exercise window does not fill the screen untitled"
CLIENT_H=$((SCREEN_H - MENU_H))
note "menu bar $MENU_H pixels high"

# A point of the exercise window's client area in design twips (9825 x 6555).
client_point() {
    echo "$(( $1 * SCREEN_W / 9825 )) $(( MENU_H + $2 * CLIENT_H / 6555 ))"
}
slot_point() { client_point $((120 + 1920 * $1 + 1815 / 2)) $((3000 + 1815 / 2)); }

# ORDER[i] is the scene shown in slot i, read from the slots' colours.
ORDER=()
read_order() {
    shot
    ORDER=()
    local i k c x y found
    for i in 0 1 2 3 4; do
        read -r x y < <(slot_point "$i")
        c=$(pixel "$x" "$y")
        found=""
        for k in 1 2 3 4 5; do
            [ "${COLOURS[k - 1]}" = "$c" ] && found=$k
        done
        # Each scene once: a slot showing anything else, or a scene twice,
        # is not a dealt exercise.
        [ -n "$found" ] && [[ " ${ORDER[*]} " != *" $found "* ]] || return 1
        ORDER+=("$found")
    done
}
order_is() { read_order && [ "${ORDER[*]}" = "$*" ]; }

wait_for 30 read_order || fail "the slots do not show the five pictures"
note "dealt: ${ORDER[*]}"

drag_slot() {   # drag_slot FROM TO
    local x0 y0 x1 y1 step
    read -r x0 y0 < <(slot_point "$1")
    read -r x1 y1 < <(slot_point "$2")
    xdotool mousemove "$x0" "$y0"
    sleep 0.2
    xdotool mousedown 1
    sleep 0.1
    for step in 1 2 3 4 5 6 7 8; do
        xdotool mousemove $((x0 + (x1 - x0) * step / 8)) $((y0 + (y1 - y0) * step / 8 + 4))
        sleep 0.05
    done
    xdotool mousemove "$x1" "$y1"
    sleep 0.1
    xdotool mouseup 1
}

# The smiling face is yellow, the sad one red; both stand at the same
# place in the score panel. Counted over a grid inside the face's square.
face() {
    shot
    local x0 y0 x1 y1
    read -r x0 y0 < <(client_point $((120 + 240 + 735 / 6)) $((5400 + 120 + 735 / 6)))
    read -r x1 y1 < <(client_point $((120 + 240 + 735 * 5 / 6)) $((5400 + 120 + 735 * 5 / 6)))
    # A 9 x 9 grid of single pixels (sampled, not averaged) over the face.
    "$CONVERT" "$WORK/shot.png" -crop "$((x1 - x0))x$((y1 - y0))+$x0+$y0" +repage \
        -sample '9x9!' -depth 8 txt:- |
        awk -F'[ ,:()]+' 'NR > 1 {
                r = $3; g = $4; b = $5
                if (r > 200 && g > 150 && b < 120) yellow++
                else if (r > 150 && g < 100 && b < 100) red++
            }
            END {
                if (yellow > red + 8) print "smiling"
                else if (red > yellow + 8) print "sad"
                else print "none"
            }'
}
face_is() { [ "$(face)" = "$1" ]; }

read -r cx cy < <(client_point $((5520 + 1905 / 2)) $((5400 + 990 / 2)))
face_is smiling || fail "no smiling face before the first confirmation"

# A wrong order first; a deal that came out solved is spoiled by one drag.
if [ "${ORDER[*]}" = "1 2 3 4 5" ]; then
    drag_slot 0 1
    wait_for 10 order_is 2 1 3 4 5 || fail "the drag from slot 0 onto slot 1 did not exchange them"
fi
note "confirming ${ORDER[*]}"
click_at "$cx" "$cy"
wait_for 10 face_is sad || fail "no sad face after a wrong order"

# Into order: slot i receives scene i+1 from wherever it stands.
for i in 0 1 2 3; do
    read_order || fail "the slots lost their pictures"
    want=$((i + 1))
    [ "${ORDER[i]}" = "$want" ] && continue
    for j in 1 2 3 4; do [ "${ORDER[j]}" = "$want" ] && from=$j; done
    expected=("${ORDER[@]}")
    expected[from]=${ORDER[i]}
    expected[i]=$want
    drag_slot "$from" "$i"
    wait_for 10 order_is "${expected[@]}" || fail "dragging slot $from onto slot $i gave ${ORDER[*]}"
done
order_is 1 2 3 4 5 || fail "not in order: ${ORDER[*]}"
note "in order, confirming"
click_at "$cx" "$cy"
wait_for 10 face_is smiling || fail "no smiling face after the right order"

# "Esci" is the last word on the menu bar: find its letters like an eye.
shot
read -r ex ey < <("$CONVERT" "$WORK/shot.png" -crop "${SCREEN_W}x$((MENU_H - 4))+0+2" -depth 8 txt:- |
    awk -F'[ ,:()]+' 'NR > 1 && ($3 + $4 + $5) < 300 { dark[$1] = 1 }
        END {
            right = -1
            for (x = 1279; x >= 0; x--) if (x in dark) { right = x; break }
            left = right
            for (x = right; x >= 0 && right - x < 400; x--) {
                if (x in dark) left = x
                else if (left - x > 12) break
            }
            print int((left + right) / 2), 0
        }')
ey=$((MENU_H / 2))
[ "$ex" -gt 0 ] || fail "no menu text found"
note "menu Esci at $ex,$ey"
click_at "$ex" "$ey"
find_question() { box=$(xdotool search --onlyvisible --name "^L'Ambrelia\$" 2>/dev/null | head -n1); [ -n "$box" ]; }
wait_for 15 find_question || fail "no exit question after Esci"
[ "$(title_of "$box")" = "L'Ambrelia" ] || fail "the exit question is titled '$(title_of "$box")'"
timeout 5 xdotool windowfocus --sync "$box" 2>/dev/null || true
xdotool key Return
ended() { ! kill -0 "$game" 2>/dev/null; }
wait_for 15 ended || fail "the program did not end after Yes"
rc=0; wait "$game" || rc=$?
[ "$rc" -eq 0 ] || fail "the program ended with status $rc"
echo "PASS"
