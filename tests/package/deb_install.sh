#!/usr/bin/env bash
# The Debian package as a new user gets it: made with CPack from the build,
# passed by lintian with no errors, unpacked into a scratch root (dpkg -x)
# and checked like an installed system: the program with its content beside
# it behind the link in bin, the teachers' tools on the path, the menu entry,
# its icons and AppStream record; then the installed game started through
# /usr/bin/ambrelia, played as far as a dealt exercise.
#
# Usage: deb_install.sh BUILD_DIR/bin/ambrelia (the build's own program)
source "$(dirname "$0")/../window/lib.sh" "$@"
BUILD_DIR=$(dirname "$(dirname "$PROGRAM")")

note "making the package"
cpack --config "$BUILD_DIR/CPackConfig.cmake" -B "$WORK/out" >"$WORK/cpack.log" 2>&1 ||
    { cat "$WORK/cpack.log" >&2; fail "cpack failed"; }
DEB=$WORK/out/ambrelia_1.00_amd64.deb
[ -f "$DEB" ] || fail "no $DEB"

note "lintian"
lintian --fail-on error "$DEB" 2>/dev/null || fail "lintian reports errors"

depends=$(dpkg-deb -f "$DEB" Depends)
for package in qt6-wayland libqt6svg6 libqt6widgets6 qt6-translations-l10n fonts-comic-neue; do
    [[ ", $depends," == *", $package"[\ ,]* ]] || fail "the package does not depend on $package: $depends"
done

ROOT=$WORK/root
dpkg -x "$DEB" "$ROOT"
LIB=$ROOT/usr/lib/ambrelia

[ -L "$ROOT/usr/bin/ambrelia" ] || fail "/usr/bin/ambrelia is not a link"
[ "$(readlink -f "$ROOT/usr/bin/ambrelia")" = "$LIB/ambrelia" ] || fail "/usr/bin/ambrelia leads elsewhere"
# Each tool on the path starts, its libraries found (126 and 127: it could not).
for tool in crea-esercizio verifica-contenuti swfrender; do
    "$ROOT/usr/bin/$tool" --help >/dev/null 2>&1 || [ $? -lt 126 ] || fail "$tool is not on the path"
done
[ -f "$LIB/suoni/no.wav" ] || fail "no suoni/no.wav beside the program"
stories=$(ls "$LIB"/gif/*.swf | wc -l)
[ "$stories" -ge 1 ] || fail "no stories in gif/ beside the program"

entry=$ROOT/usr/share/applications/org.example.ambrelia.desktop
for line in "Name=Calvisto" "Exec=ambrelia" "Icon=ambrelia" "Categories=Education;Game;KidsGame;"; do
    grep -qx "$line" "$entry" || fail "the menu entry lacks $line"
done
for side in 16 24 32 48 64 128 256; do
    icon=$ROOT/usr/share/icons/hicolor/${side}x${side}/apps/ambrelia.png
    [ "$(identify -format '%wx%h' "$icon" 2>/dev/null)" = "${side}x${side}" ] || fail "no ${side}x${side} icon"
done
[ -f "$ROOT/usr/share/icons/hicolor/scalable/apps/ambrelia.svg" ] || fail "no scalable icon"
appstreamcli validate --no-net "$ROOT/usr/share/metainfo/org.example.ambrelia.metainfo.xml" >&2 ||
    fail "appstreamcli rejects the AppStream record"

note "the installed tools on the installed content"
"$ROOT/usr/bin/verifica-contenuti" >"$WORK/verifica.log" 2>&1 || fail "verifica-contenuti finds faults: $(cat "$WORK/verifica.log")"
[ "$(grep -c 'va bene' "$WORK/verifica.log")" -eq "$stories" ] || fail "verifica-contenuti did not pass every story"

note "starting the installed program"
"$ROOT/usr/bin/ambrelia" >"$WORK/program.log" 2>&1 &
PID=$!
STARTED+=("$PID")
wait_for 30 start_window_covers_screen || fail "the installed program shows no start window"
read -r ax ay < <(start_point $((2640 + 4110 / 2)) $((4680 + 1275 / 2)))
click_at "$ax" "$ay"
# The exercise window, orange, with a picture from the installed stories in
# each slot (the slots' centres in design twips; the menu bar above the
# client area moves them by far less than half a slot).
dealt() {
    shot
    [ "$(pixel 3 $((SCREEN_H - 3)))" = FF8000 ] || return 1
    local i x y
    for i in 0 1 2 3 4; do
        x=$(( (120 + 1920 * i + 1815 / 2) * SCREEN_W / 9825 ))
        y=$(( (3000 + 1815 / 2) * SCREEN_H / 6555 ))
        [ "$(pixel "$x" "$y")" != FF8000 ] || return 1
    done
}
wait_for 30 dealt || fail "the installed program deals no exercise"
echo "PASS"
