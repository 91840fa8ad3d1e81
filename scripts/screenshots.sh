#!/bin/sh
# Builds Larkspire and saves a PNG of every dialog of the component server and
# of every window of the Agent (About box, Compacting window, tray menu),
# shown under Wine on a virtual display, into build/<arch>/screenshots.
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh
if /usr/lib/wine/wine --version >/dev/null 2>&1; then arch=i686; else arch=x86_64; fi
scripts/build.sh "$arch"
out="$PWD/build/$arch/screenshots"
rm -rf "$out"
mkdir -p "$out"
winout="Z:$(printf '%s' "$out" | tr / '\\')"
status=0
for program in dialog_shots agent_shots; do
    xvfb-run -a -s "-screen 0 1024x768x24" "build/$arch/wine-run.sh" \
        "build/$arch/tests/$program.exe" "$winout" || status=$?
done
WINEPREFIX="$PWD/build/$arch/wine/prefix" /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
for bmp in "$out"/*.bmp; do
    [ -e "$bmp" ] || continue
    convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
ls -1 "$out"
exit $status
