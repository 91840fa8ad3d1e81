#!/bin/sh
# Installs what is missing, builds Larkspire and runs every test under Wine on
# a virtual display. The shipped 32-bit build is always built (its import
# tables checked); the same sources are built for x86_64 and tested under
# 64-bit Wine, and where this machine can run 32-bit Wine the 32-bit build is
# tested as well, at the same time: each build has its own Wine prefix,
# scratch folders and display, and most of a test's time is spent waiting.
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

# Runs one build's tests on a display of its own; the output goes to
# build/<arch>/test.log and the exit code to build/<arch>/test.status.
run_tests() {
    arch=$1 first_display=$2
    status=0
    xvfb-run -a -n "$first_display" -s "-screen 0 1280x1024x24" \
        ctest --test-dir "build/$arch/test-build" --output-on-failure --timeout 900 \
        >"build/$arch/test.log" 2>&1 || status=$?
    WINEPREFIX="$PWD/build/$arch/wine/prefix" /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
    echo "$status" >"build/$arch/test.status"
}

first_display=99
for arch in $arches; do
    rm -f "build/$arch/test.status"
    run_tests "$arch" "$first_display" &
    # Each looks for a free display from its own number up: no two meet.
    first_display=$((first_display + 20))
    sleep 1
done
wait

status=0
for arch in $arches; do
    echo "test: $arch"
    cat "build/$arch/test.log"
    arch_status=$(cat "build/$arch/test.status" 2>/dev/null || echo 1)
    [ "$arch_status" = 0 ] || status=$arch_status
done
exit $status
