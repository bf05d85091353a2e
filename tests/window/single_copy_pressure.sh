#!/usr/bin/env bash
# The single-copy rule under pressure: ten copies started at the same moment
# leave one running and nine "Error" boxes, each ending with status 0 once
# answered; a copy killed with SIGKILL does not stop the next start; a
# temporary folder that takes no lock file (read-only, full) does not stop
# the game, and still lets only one copy run.
source "$(dirname "$0")/lib.sh" "$@"
folder=$(dirname "$PROGRAM")

# The box's title may carry the product's name after "Error".
error_boxes() { xdotool search --onlyvisible --name '^Error' 2>/dev/null || true; }
boxes_are() { [ "$(error_boxes | wc -l)" -eq "$1" ]; }
shows_error_box() {
    local w
    for w in $(visible_windows_of "$1"); do
        case "$(xdotool getwindowname "$w" 2>/dev/null)" in Error*) return 0 ;; esac
    done
    return 1
}
answer_box() {
    timeout 5 xdotool windowfocus --sync "$1" 2>/dev/null || true
    xdotool key Return
}
ended() { ! kill -0 "$1" 2>/dev/null; }
# stop PID: ends a running copy with SIGKILL and reaps it.
stop() { kill -9 "$1" 2>/dev/null || true; wait "$1" 2>/dev/null || true; }

note "ten copies at once"
copies=()
for i in 1 2 3 4 5 6 7 8 9 10; do
    "$folder/ambrelia" >"$WORK/copy-$i.log" 2>&1 &
    copies+=("$!")
    STARTED+=("$!")
done
wait_for 90 boxes_are 9 || fail "$(error_boxes | wc -l) Error boxes instead of 9"
wait_for 30 start_window_covers_screen || fail "no copy shows the start window"
sleep 2
boxes_are 9 || fail "$(error_boxes | wc -l) Error boxes, later"
running=""
for pid in "${copies[@]}"; do
    kill -0 "$pid" || fail "copy $pid ended before its box was answered"
    shows_error_box "$pid" && continue
    [ -z "$running" ] || fail "both $running and $pid run without an Error box"
    running=$pid
done
[ -n "$running" ] || fail "every copy shows an Error box"
note "copy $running runs"
for box in $(error_boxes); do
    answer_box "$box"
done
for pid in "${copies[@]}"; do
    [ "$pid" = "$running" ] && continue
    wait_for 30 ended "$pid" || fail "copy $pid did not end after its box"
    rc=0; wait "$pid" || rc=$?
    [ "$rc" -eq 0 ] || fail "refused copy $pid ended with status $rc"
done
kill -0 "$running" || fail "the running copy ended too"
boxes_are 0 || fail "Error boxes left"

note "kill -9, then a new start"
stop "$running"
start_program "$folder"
wait_for 30 start_window_covers_screen || fail "no start window after a killed copy"
sleep 1
boxes_are 0 || fail "an Error box after a killed copy"
stop "$PID"

# confined KIND: starts a copy whose temporary folders are $WORK/KIND, a
# folder that takes no file: a read-only or a full file system mounted in
# a mount namespace of its own (unshare), sets PID.
CAN_MOUNT=""
unshare -rm true 2>/dev/null && CAN_MOUNT=1
confined() {
    local dir=$WORK/$1
    mkdir -p "$dir"
    local prepare
    case $1 in
        readonly) prepare='mount -t tmpfs -o size=64k tmpfs "$D" && mount -o remount,ro "$D"' ;;
        full) prepare='mount -t tmpfs -o size=64k tmpfs "$D" && { dd if=/dev/zero of="$D/fill" bs=4k 2>/dev/null || true; }' ;;
    esac
    D=$dir XDG_RUNTIME_DIR=$dir TMPDIR=$dir unshare -rm sh -c "$prepare && exec \"\$0\"" "$folder/ambrelia" \
        >"$WORK/$1-${#STARTED[@]}.log" 2>&1 &
    PID=$!
    STARTED+=("$PID")
}
# Without namespaces a folder nobody can write into stands in for the
# read-only one; a full one cannot be made.
unwritable() {
    XDG_RUNTIME_DIR=/proc TMPDIR=/proc "$folder/ambrelia" >"$WORK/proc-${#STARTED[@]}.log" 2>&1 &
    PID=$!
    STARTED+=("$PID")
}

if [ -n "$CAN_MOUNT" ]; then kinds="readonly full"; else kinds="proc"; note "no mount namespaces: /proc stands in, no full folder"; fi
for kind in $kinds; do
    note "lock in a $kind temporary folder"
    if [ "$kind" = proc ]; then unwritable; else confined "$kind"; fi
    first=$PID
    wait_for 30 start_window_covers_screen || fail "no start window with a $kind temporary folder"
    boxes_are 0 || fail "an Error box with a $kind temporary folder"
    if [ "$kind" = proc ]; then unwritable; else confined "$kind"; fi
    second=$PID
    wait_for 30 boxes_are 1 || fail "a second copy with a $kind temporary folder shows no Error box"
    shows_error_box "$second" || fail "the Error box is not the second copy's"
    answer_box "$(error_boxes)"
    wait_for 30 ended "$second" || fail "the second copy did not end after its box"
    kill -0 "$first" || fail "the first copy ended"
    stop "$first"
done
echo "PASS"
