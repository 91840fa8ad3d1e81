#!/bin/sh
# Configures and builds Larkspire for one target: scripts/build.sh [i686|x86_64] [build folder]
# The deliverables are built with the win32-thread compilers into
# <build folder>/bin (default build/<arch>/bin); the 32-bit ones have their
# import tables checked. The tests are built from the same sources with the
# posix-thread compilers in <build folder>/test-build, into <build folder>/tests.
# The i686 tests run under the 32-bit Wine that scripts/setup.sh found.
set -eu
cd "$(dirname "$0")/.."
arch=${1:-i686}
dir=${2:-build/$arch}
case $dir in /*) ;; *) dir=$PWD/$dir ;; esac
. scripts/wine32.sh
case $arch in
i686) loader=${wine32_loader:-/usr/lib/wine/wine} ;;
*) loader=/usr/lib/wine/wine64 ;;
esac
cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw.cmake -DLS_ARCH="$arch" \
      -DLS_THREADS=win32 -DCMAKE_BUILD_TYPE=Release -DLS_WINE_LOADER="$loader" >/dev/null
cmake --build "$dir" -j"$(nproc)"
cmake -S . -B "$dir/test-build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw.cmake -DLS_ARCH="$arch" \
      -DLS_THREADS=posix -DCMAKE_BUILD_TYPE=Release -DLS_PRODUCT=OFF -DLS_TESTS=ON \
      -DLS_PRODUCT_DIR="$dir" -DLS_WINE_LOADER="$loader" >/dev/null
cmake --build "$dir/test-build" -j"$(nproc)"
