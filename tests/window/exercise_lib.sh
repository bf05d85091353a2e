# The exercise window as the real-window tests see it, for tests that play
# it: sourced after lib.sh. Points are given in the window's design twips
# (9825 x 6555 below the menu bar), as the scaler keeps them.

# Scene k of a test exercise is a plain picture in colour k (RRGGBB).
COLOURS=(FF0000 00FF00 0000FF FFFF00 FF00FF)
ORANGE=FF8000

# press_avvio: waits for the start window and presses its button.
press_avvio() {
    wait_for 30 start_window_covers_screen || fail "no start window"
    local ax ay
    read -r ax ay < <(start_point $((2640 + 4110 / 2)) $((4680 + 1275 / 2)))
    click_at "$ax" "$ay"
}

# The exercise window covers the screen in its orange below its menu bar;
# sets MENU_H and CLIENT_H.
MENU_H=0
CLIENT_H=0
exercise_window_shown() {
    shot
    [ "$(pixel 3 $((SCREEN_H - 3)))" = "$ORANGE" ] || return 1
    [ "$(pixel $((SCREEN_W - 3)) $((SCREEN_H - 3)))" = "$ORANGE" ] || return 1
    MENU_H=$("$CONVERT" "$WORK/shot.png" -crop 1x200+3+0 -depth 8 txt:- |
        awk -v c="#$ORANGE" 'index($0, c) { split($1, a, "[,:]"); print a[2]; exit }')
    [ -n "$MENU_H" ] && [ "$MENU_H" -gt 0 ] || return 1
    CLIENT_H=$((SCREEN_H - MENU_H))
}

client_point() {
    echo "$(( $1 * SCREEN_W / 9825 )) $(( MENU_H + $2 * CLIENT_H / 6555 ))"
}
slot_point() { client_point $((120 + 1920 * $1 + 1815 / 2)) $((3000 + 1815 / 2)); }

# slot_colours: the colour at the middle of each slot of a new screenshot,
# as RRGGBB, read in one go.
slot_colours() {
    shot
    local i x y format=""
    for i in 0 1 2 3 4; do
        read -r x y < <(slot_point "$i")
        format+="%[hex:p{$x,$y}] "
    done
    "$CONVERT" "$WORK/shot.png" -depth 8 -format "$format" info: | awk '{ for (i = 1; i <= NF; i++) print substr($i, 1, 6) }'
}
scene_of() {   # scene_of RRGGBB: 1 to 5, or nothing
    local k
    for k in 1 2 3 4 5; do [ "${COLOURS[k - 1]}" != "$1" ] || echo "$k"; done
}

# ORDER[i] is the scene shown in slot i, read from the slots' colours;
# fails unless the five slots show the five scenes.
ORDER=()
read_order() {
    ORDER=()
    local c found
    for c in $(slot_colours); do
        found=$(scene_of "$c")
        [ -n "$found" ] && [[ " ${ORDER[*]} " != *" $found "* ]] || return 1
        ORDER+=("$found")
    done
    [ ${#ORDER[@]} -eq 5 ]
}

# No slot shows a picture of a scene.
slots_empty() {
    local c
    for c in $(slot_colours); do
        [ -z "$(scene_of "$c")" ] || return 1
    done
}

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

# The face in the score panel: smiling (yellow), sad (red) or none.
face() {
    shot
    local x0 y0 x1 y1
    read -r x0 y0 < <(client_point $((120 + 240 + 735 / 6)) $((5400 + 120 + 735 / 6)))
    read -r x1 y1 < <(client_point $((120 + 240 + 735 * 5 / 6)) $((5400 + 120 + 735 * 5 / 6)))
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

click_conferma() {
    local cx cy
    read -r cx cy < <(client_point $((5520 + 1905 / 2)) $((5400 + 990 / 2)))
    click_at "$cx" "$cy"
}

# counters FILE: the two counters' labels of the last screenshot, cut out
# into FILE, to be compared with those of another moment.
counters() {
    local x0 y0 x1 y1
    read -r x0 y0 < <(client_point $((120 + 2160)) $((5400 + 240)))
    read -r x1 y1 < <(client_point $((120 + 5100)) $((5400 + 240 + 615)))
    "$CONVERT" "$WORK/shot.png" -crop "$((x1 - x0))x$((y1 - y0))+$x0+$y0" +repage "$1"
}
same_picture() { [ "$(compare -metric AE "$1" "$2" null: 2>&1)" = 0 ]; }

# Boxes of the game's own title; a title may carry the product's name.
game_boxes() { xdotool search --onlyvisible --name "^L'Ambrelia" 2>/dev/null || true; }
one_game_box() { BOX=$(game_boxes | head -n1); [ -n "$BOX" ]; }
no_game_box() { [ -z "$(game_boxes)" ]; }
answer() {   # answer BOX: presses the box's default button
    timeout 5 xdotool windowfocus --sync "$1" 2>/dev/null || true
    xdotool key Return
}

# choose_esci: "Esci" is the last word on the menu bar, found by its letters.
choose_esci() {
    shot
    local ex
    ex=$("$CONVERT" "$WORK/shot.png" -crop "${SCREEN_W}x$((MENU_H - 4))+0+2" -depth 8 txt:- |
        awk -F'[ ,:()]+' 'NR > 1 && ($3 + $4 + $5) < 300 { dark[$1] = 1 }
            END {
                right = -1
                for (x = 1279; x >= 0; x--) if (x in dark) { right = x; break }
                left = right
                for (x = right; x >= 0 && right - x < 400; x--) {
                    if (x in dark) left = x
                    else if (left - x > 12) break
                }
                print int((left + right) / 2)
            }')
    [ "$ex" -gt 0 ] || fail "no menu text found"
    click_at "$ex" $((MENU_H / 2))
}
