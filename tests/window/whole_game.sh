#!/usr/bin/env bash
# A whole game with the mouse: "Avvio", read the dealt order off the screen,
# a wrong confirmation (sad face), the slots dragged into order, a right
# confirmation (smiling face), then "Esci" answered Yes ends with status 0.
source "$(dirname "$0")/lib.sh" "$@"
source "$(dirname "$0")/exercise_lib.sh"

# One story whose five pictures are plain colours, scene k in colour k.
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
press_avvio
wait_for 30 exercise_window_shown || fail "no exercise window after Avvio"
wait_for 10 only_window_fills_screen "$game" || fail "the exercise window does not fill the screen untitled"
note "menu bar $MENU_H pixels high"

order_is() { read_order && [ "${ORDER[*]}" = "$*" ]; }
wait_for 30 read_order || fail "the slots do not show the five pictures"
note "dealt: ${ORDER[*]}"

face_is smiling || fail "no smiling face before the first confirmation"

# A wrong order first; a deal that came out solved is spoiled by one drag.
if [ "${ORDER[*]}" = "1 2 3 4 5" ]; then
    drag_slot 0 1
    wait_for 10 order_is 2 1 3 4 5 || fail "the drag from slot 0 onto slot 1 did not exchange them"
fi
note "confirming ${ORDER[*]}"
click_conferma
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
click_conferma
wait_for 10 face_is smiling || fail "no smiling face after the right order"

choose_esci
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
