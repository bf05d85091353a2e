#!/usr/bin/env bash
# The real program on faulty content folders, one program folder per case:
# each does what the game decided for it (the pictures dealt and the game
# played, or the box naming what is missing and empty slots), counts only
# what is confirmed, and ends with status 0 through the exit question.
source "$(dirname "$0")/lib.sh" "$@"
source "$(dirname "$0")/exercise_lib.sh"

BIN=$(dirname "$PROGRAM")
STORY=$BIN/gif/bruco.swf
[ -f "$STORY" ] || fail "no bundled story at $STORY"
mkdir -p "$WORK/scenes"
for k in 1 2 3 4 5; do
    "$CONVERT" -size 48x48 "xc:#${COLOURS[k - 1]}" "$WORK/scenes/$k.gif"
    "$CONVERT" -size 48x48 "xc:#${COLOURS[k - 1]}" "png:$WORK/scenes/$k.png"
done
# A one-frame movie: 550 x 400 pixel stage, a white background.
printf '\x46\x57\x53\x06\x1e\x00\x00\x00\x78\x00\x05\x5f\x00\x00\x0f\xa0\x00\x00\x0c\x01\x00\x43\x02\xff\xff\xff\x40\x00\x00\x00' \
    >"$WORK/movie.swf"

# case_folder NAME: a program folder of its own with gif/ and suoni/; sets DIR.
case_folder() {
    DIR=$WORK/case-$1
    mkdir -p "$DIR/gif" "$DIR/suoni"
    ln "$PROGRAM" "$DIR/ambrelia" 2>/dev/null || cp "$PROGRAM" "$DIR/ambrelia"
    [ ! -f "$BIN/libambrelia_sound.so" ] || ln -s "$BIN/libambrelia_sound.so" "$DIR/"
    cp "$BIN/suoni/no.wav" "$DIR/suoni/"
}
# exercise NAME [png]: a whole exercise in DIR, its pictures GIF (or PNG).
exercise() {
    mkdir -p "$DIR/gif/$1"
    cp "$WORK/movie.swf" "$DIR/gif/$1.swf"
    local k
    for k in 1 2 3 4 5; do cp "$WORK/scenes/$k.${2:-gif}" "$DIR/gif/$1/$1$k.gif"; done
}

ZERO=""   # the counters as they stand before anything is confirmed
ONE=""    # and after one wrong confirmation
RUN_AS=()
# play NAME BOXES OUTCOME: runs the program of case NAME. BOXES game boxes
# are expected before the exercise can be played; OUTCOME is "dealt" (five
# pictures, a wrong confirmation counted with the sad face, no box) or
# "empty" (no picture, Conferma counts nothing).
play() {
    local name=$1 boxes=$2 outcome=$3 i
    note "$name: $boxes box(es), $outcome"
    "${RUN_AS[@]}" "$DIR/ambrelia" >"$WORK/$name.log" 2>&1 &
    PID=$!
    STARTED+=("$PID")
    press_avvio
    wait_for 30 exercise_window_shown || fail "$name: no exercise window"
    for ((i = 1; i <= boxes; i++)); do
        wait_for 30 one_game_box || fail "$name: box $i of $boxes not shown"
        answer "$BOX"
        gone() { [ "$(game_boxes | grep -cx "$BOX")" -eq 0 ]; }
        wait_for 15 gone || fail "$name: box $i stays"
    done
    sleep 1
    no_game_box || fail "$name: a box more than the $boxes expected"
    shot
    counters "$WORK/$name-before.png"
    if [ -z "$ZERO" ]; then ZERO=$WORK/$name-before.png; fi
    same_picture "$ZERO" "$WORK/$name-before.png" || fail "$name: the counters do not start at 0"
    if [ "$outcome" = dealt ]; then
        wait_for 15 read_order || fail "$name: the slots do not show the five pictures"
        if [ "${ORDER[*]}" = "1 2 3 4 5" ]; then
            drag_slot 0 1
            wait_for 10 read_order && [ "${ORDER[*]}" != "1 2 3 4 5" ] || fail "$name: no exchange"
        fi
        click_conferma
        wait_for 10 face_is sad || fail "$name: no sad face after a wrong order"
        sleep 0.5
        shot
        counters "$WORK/$name-after.png"
        if [ -z "$ONE" ]; then ONE=$WORK/$name-after.png; fi
        same_picture "$ONE" "$WORK/$name-after.png" || fail "$name: not one wrong answer counted"
        same_picture "$ZERO" "$ONE" && fail "$name: the wrong answer was not counted"
    else
        slots_empty || fail "$name: a slot shows a picture"
        face_is smiling || fail "$name: the face changed"
        click_conferma
        sleep 1
        shot
        counters "$WORK/$name-after.png"
        same_picture "$ZERO" "$WORK/$name-after.png" || fail "$name: Conferma counted without an exercise"
        face_is smiling || fail "$name: Conferma showed a face without an exercise"
    fi
    no_game_box || fail "$name: a box after the confirmation"
    kill -0 "$PID" || fail "$name: the program ended"
    choose_esci
    wait_for 15 one_game_box || fail "$name: no exit question"
    answer "$BOX"
    ended() { ! kill -0 "$PID" 2>/dev/null; }
    wait_for 15 ended || fail "$name: the program did not end after Yes"
    local rc=0
    wait "$PID" || rc=$?
    [ "$rc" -eq 0 ] || fail "$name: status $rc"
}

case_folder no-gif
rm -rf "$DIR/gif"
play no-gif 1 empty

case_folder empty-gif
play empty-gif 1 empty

# The exercise left out is named in a box, then the one saying none is left.
case_folder four-pictures
exercise quattro
rm "$DIR/gif/quattro/quattro5.gif"
play four-pictures 2 empty

# Pictures are read by what they hold, not by their name.
case_folder png-as-gif
exercise finta png
play png-as-gif 0 dealt

case_folder damaged-picture
exercise rotta
printf 'GIF89a\x30\x00\x30\x00not a picture at all' >"$DIR/gif/rotta/rotta3.gif"
play damaged-picture 2 empty

case_folder truncated-picture
exercise tronca
head -c 20 "$WORK/scenes/2.gif" >"$DIR/gif/tronca/tronca2.gif"
play truncated-picture 2 empty

# A movie that cannot be read leaves its place blank; the pictures play.
case_folder damaged-movie
exercise filmrotto
head -c 2000 /dev/urandom >"$DIR/gif/filmrotto.swf"
play damaged-movie 0 dealt

case_folder truncated-movie
exercise filmtronco
head -c $(($(stat -c %s "$STORY") / 2)) "$STORY" >"$DIR/gif/filmtronco.swf"
play truncated-movie 0 dealt

# Beyond 64 MiB a movie is not read at all.
case_folder big-movie
exercise grande
cp "$STORY" "$DIR/gif/grande.swf"
truncate -s 100M "$DIR/gif/grande.swf"
play big-movie 0 dealt

# An extension in capitals is still a movie (its own file is then not found
# by the lower-case name: its place stays blank); accents are kept.
case_folder accents-capitals
exercise città
exercise GATTO
mv "$DIR/gif/GATTO.swf" "$DIR/gif/GATTO.SWF"
play accents-capitals 0 dealt

# The first thousand are taken, the rest ignored.
case_folder 1001-movies
perl -e 'my ($dir, $work) = @ARGV;
    for my $i (1 .. 1001) {
        my $n = sprintf("storia%04d", $i);
        link("$work/movie.swf", "$dir/gif/$n.swf") or die "$!";
        mkdir("$dir/gif/$n") or die "$!";
        link("$work/scenes/$_.gif", "$dir/gif/$n/$n$_.gif") or die "$!" for 1 .. 5;
    }' "$DIR" "$WORK"
play 1001-movies 0 dealt

# No error sound, or one that cannot be played: the wrong answer is silent.
case_folder no-suoni
exercise muta
rm -rf "$DIR/suoni"
play no-suoni 0 dealt

case_folder damaged-sound
exercise stonata
printf 'RIFF\x10\x00\x00\x00WAVEfmt garbage' >"$DIR/suoni/no.wav"
play damaged-sound 0 dealt

# Pictures the player may not read. Root reads everything: the program then
# runs as nobody, with the display's key and a lock folder of its own.
case_folder unreadable
exercise chiusa
chmod 000 "$DIR"/gif/chiusa/*.gif
if [ "$(id -u)" -eq 0 ]; then
    chmod 755 "$WORK"
    cp "$XAUTHORITY" "$WORK/xauth" && chmod 644 "$WORK/xauth"
    mkdir -m 700 "$WORK/run-nobody" && chown 65534:65534 "$WORK/run-nobody"
    RUN_AS=(setpriv --reuid=65534 --regid=65534 --clear-groups
            env XAUTHORITY="$WORK/xauth" XDG_RUNTIME_DIR="$WORK/run-nobody" HOME="$WORK/run-nobody")
fi
play unreadable 2 empty
RUN_AS=()
echo "PASS"
