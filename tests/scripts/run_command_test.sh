#!/bin/sh
# The README's run command on a machine with no display: scripts/run.sh
# installs and starts the Agent in the background (on a virtual display of
# its own), run_probe.exe looks for the Agent's frame window and tray icon on
# the run's Wine desktop and opens the settings applet with "Configure
# Agent...", and the run is ended.
#
#   tests/scripts/run_command_test.sh ARCH PROBE ROOT
set -u
arch=$1 probe=$2 root=$3
repo=$(cd "$(dirname "$0")/../.." && pwd)
stop() { timeout 60 "$repo/scripts/run.sh" --stop --root "$root" >/dev/null 2>&1 || true; }
trap stop EXIT

# No display and no Wine setting of the test's own reach the run command.
if ! env -u DISPLAY -u WINEPREFIX -u WINELOADER -u WINEARCH \
        timeout 900 "$repo/scripts/run.sh" --background --arch "$arch" --root "$root" </dev/null; then
    echo "run_command_test: the run command failed"
    exit 1
fi
[ -f "$root/env" ] || { echo "run_command_test: the run left no $root/env"; exit 1; }
. "$root/env"
echo "run_command_test: probing the desktop \"$LARKSPIRE_DESKTOP\" on $DISPLAY"
timeout 120 "$WINE" "$probe" "$LARKSPIRE_DESKTOP" 60 </dev/null 2>/dev/null
