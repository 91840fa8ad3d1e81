#!/bin/sh
# Installs what is missing, builds Larkspire and runs every test under Wine on
# a virtual display. The shipped 32-bit build is always built (its import
# tables checked); the same sources are built for x86_64 and tested under
# 64-bit Wine, and where this machine can run 32-bit Wine the 32-bit build is
# tested as well.
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh

arches=x86_64
scripts/build.sh i686
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    arches="x86_64 i686"
else
    echo "test: this machine cannot run 32-bit Wine; the i686 build is built and checked, not run"
fi
scripts/build.sh x86_64

status=0
for arch in $arches; do
    echo "test: $arch"
    xvfb-run -a -s "-screen 0 1280x1024x24" \
        ctest --test-dir "build/$arch/test-build" --output-on-failure --timeout 900 || status=$?
    WINEPREFIX="$PWD/build/$arch/wine/prefix" /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
done
exit $status
