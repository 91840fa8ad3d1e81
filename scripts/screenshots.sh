#!/bin/sh
# Builds Larkspire and saves a PNG of every dialog of the component server,
# of every window of the Agent (About box, Compacting window, tray menu) and
# of the settings applet (General page with its sizes, also with the check
# boxes of its own, Options page, a component's sheet on its Schedule page), of the introduction wizard (its four
# pages) and of the installer tasks' two questions, shown under Wine on a Wine desktop
# window (so that they have frames and title bars as on Windows) on a
# virtual display, into build/<arch>/screenshots.
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh
. scripts/wine32.sh
# The shipped build under the 32-bit Wine setup found, else the x86_64 one.
if [ -n "$wine32_loader" ]; then arch=i686; else arch=x86_64; fi
scripts/build.sh "$arch"
out="$PWD/build/$arch/screenshots"
rm -rf "$out"
mkdir -p "$out"
winout="Z:$(printf '%s' "$out" | tr / '\\')"
prefix="$PWD/build/$arch/wine/prefix"
desktop=LarkspireShots

# One display and one Wine server for every program: a server left from
# another run may know another display.
xvfb=
cleanup() {
    WINEPREFIX=$prefix /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
WINEPREFIX=$prefix /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$out/.display" </dev/null >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do
    [ -s "$out/.display" ] && break
    sleep 0.1
done
export DISPLAY=":$(cat "$out/.display")"
rm -f "$out/.display"

"build/$arch/wine-run.sh" explorer "/desktop=$desktop,1024x768" </dev/null >/dev/null 2>&1 &
status=0
for program in dialog_shots agent_shots controls_shots welcome_shots; do
    "build/$arch/wine-run.sh" "build/$arch/tests/$program.exe" "$winout" "$desktop" </dev/null || status=$?
done
for bmp in "$out"/*.bmp; do
    [ -e "$bmp" ] || continue
    convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
ls -1 "$out"
exit $status
