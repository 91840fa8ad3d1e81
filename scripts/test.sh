#!/bin/sh
# Installs what is missing, builds Larkspire and runs every test under Wine on
# a virtual display. The shipped 32-bit build is always built (its images
# checked) and tested under the 32-bit Wine that scripts/setup.sh found (the
# system's, a private i386 tree, or that tree under QEMU); the same sources
# are built for x86_64 and tested under 64-bit Wine, at the same time: each
# build has its own Wine prefix, scratch folders and display, and most of a
# test's time is spent waiting.
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh
. scripts/wine32.sh

arches=x86_64
scripts/build.sh i686
if [ -n "$wine32_loader" ]; then
    arches="x86_64 i686"
    echo "test: i686 under 32-bit Wine: $wine32_way ($wine32_loader)"
else
    echo "test: cannot run 32-bit Wine here ($wine32_why); the i686 build is built and checked, not run"
fi
scripts/build.sh x86_64

# Runs one build's tests on a display of its own; the output goes to
# build/<arch>/test.log, the exit code to build/<arch>/test.status and the
# wall time in seconds to build/<arch>/test.time.
run_tests() {
    arch=$1 first_display=$2
    status=0
    start=$(date +%s)
    # Under QEMU every 32-bit instruction is emulated: the random walk model
    # runs a third of its trees there (the x86_64 build runs them all).
    if [ "$arch" = i686 ] && [ "$wine32_way" = qemu ]; then
        export LARKSPIRE_WALK_TREES=20
    fi
    xvfb-run -a -n "$first_display" -s "-screen 0 1280x1024x24" \
        ctest --test-dir "build/$arch/test-build" --output-on-failure --timeout 900 \
        >"build/$arch/test.log" 2>&1 || status=$?
    WINEPREFIX="$PWD/build/$arch/wine/prefix" /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
    echo $(($(date +%s) - start)) >"build/$arch/test.time"
    echo "$status" >"build/$arch/test.status"
}

first_display=99
for arch in $arches; do
    rm -f "build/$arch/test.status" "build/$arch/test.time"
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
for arch in $arches; do
    echo "test: $arch tests took $(cat "build/$arch/test.time" 2>/dev/null || echo '?') s"
done
exit $status
