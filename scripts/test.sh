#!/bin/sh
# Installs what is missing, builds Larkspire and runs every test under Wine on
# a virtual display. The shipped 32-bit build is always built; it is also the
# one tested where this machine can run 32-bit Wine. Where the kernel cannot
# run 32-bit programs, the same sources are built for x86_64 and tested under
# 64-bit Wine instead.
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh

scripts/build.sh i686
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    arch=i686
else
    arch=x86_64
    echo "test: this machine cannot run 32-bit Wine; testing the x86_64 build of the same sources"
    scripts/build.sh x86_64
fi

prefix="$PWD/build/$arch/wine/prefix"
status=0
xvfb-run -a -s "-screen 0 1280x1024x24" \
    ctest --test-dir "build/$arch" --output-on-failure --timeout 900 || status=$?
WINEPREFIX="$prefix" /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
exit $status
