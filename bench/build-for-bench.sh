# Sourced by the benchmark scripts, with $repo, $build (a folder, relative to
# the repository or absolute), $arch (empty: i686 when scripts/setup.sh found a
# 32-bit Wine, else x86_64) and $bench_name (for messages) set:
# bench_build TARGET... makes $build an absolute path, checks that it is a
# build of $arch, and builds the targets there (the whole build, tests
# included, when the folder is not configured yet).
bench_build() {
    cd "$repo"
    if [ -z "$arch" ]; then
        . scripts/wine32.sh
        if [ -n "$wine32_loader" ]; then arch=i686; else arch=x86_64; fi
    fi
    case $build in /*) ;; *) build=$repo/$build ;; esac
    if [ -f "$build/CMakeCache.txt" ]; then
        built=$(sed -n 's/^LS_ARCH:[A-Z]*=//p' "$build/CMakeCache.txt")
        if [ -n "$built" ] && [ "$built" != "$arch" ]; then
            echo "$bench_name: $build is a $built build, not $arch; pick another with -b" >&2
            exit 2
        fi
        cmake --build "$build" $(for target in "$@"; do printf -- '--target %s ' "$target"; done) >/dev/null
    else
        scripts/build.sh "$arch" "$build" >/dev/null
    fi
}
