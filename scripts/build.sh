#!/bin/sh
# Configures and builds Larkspire for one target: scripts/build.sh [i686|x86_64] [build folder]
# The deliverables land in <build folder>/bin (default build/<arch>/bin).
set -eu
cd "$(dirname "$0")/.."
arch=${1:-i686}
dir=${2:-build/$arch}
cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw.cmake -DLS_ARCH="$arch" \
      -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$dir" -j"$(nproc)"
