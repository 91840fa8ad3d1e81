#!/bin/sh
# Times the web browser caches component (LSWebCaches.dll, its GetSize and
# Compact) against its floor, the folder walkers on the same cache folders
# (GetTreeSize of each; one CleaningRun removing each), on a generated
# Windows 10 profile whose browsers' caches hold 20,000 files.
#
#   bench/webcaches/caches.sh [-b build folder] [-a i686|x86_64] [-n runs] [-c]
#
#   -b  build folder (default build/bench); configured and built when needed
#   -a  target; default i686 when 32-bit Wine runs on this machine, else x86_64
#   -n  runs per measurement (default 5); medians are reported
#   -c  no sync after copying: the copies stay in the page cache
#
# Each measurement runs on a fresh copy (cp -a) of one master profile kept in
# <build>/cache-bench; the component and its floor alternate which goes
# first. cache_bench times itself inside the process (QueryPerformanceCounter).
# Targets: GetSize / floor and Compact / floor <= 1.15, in the same run.
set -eu

repo=$(cd "$(dirname "$0")/../.." && pwd)
build=build/bench
arch=
runs=5
cached=0
while getopts b:a:n:c option; do
    case $option in
    b) build=$OPTARG ;;
    a) arch=$OPTARG ;;
    n) runs=$OPTARG ;;
    c) cached=1 ;;
    *) echo "usage: $0 [-b build folder] [-a i686|x86_64] [-n runs] [-c]" >&2; exit 2 ;;
    esac
done

# --- build -------------------------------------------------------------------
bench_name=caches.sh
. "$repo/bench/build-for-bench.sh"
bench_build cache_bench LSWebCaches
wine=$build/wine-run.sh
bench=$build/bench/cache_bench.exe
[ -x "$wine" ] && [ -f "$bench" ] || { echo "caches.sh: no $bench" >&2; exit 2; }
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }

scratch=$build/cache-bench
master=$scratch/master
prefix=$(sed -n "s/^export WINEPREFIX='\(.*\)'$/\1/p" "$wine")
cleanup() {
    case $scratch in */cache-bench) rm -rf "$scratch"/copy ;; esac
    WINEPREFIX=$prefix /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# --- the profile ---------------------------------------------------------------
# Chrome (Default and Profile 1), Edge, the shader caches and one Firefox
# profile: 20,000 cache files of 0-4 KiB, and the profiles' own files that
# must stay. The same every time.
chrome='Local/Google/Chrome/User Data'
edge='Local/Microsoft/Edge/User Data'
firefox_local=Local/Mozilla/Firefox/Profiles/bench.default-release
firefox_roaming=Roaming/Mozilla/Firefox/Profiles/bench.default-release
# Where the files lie and how many (one line each) ...
caches="$chrome/Default/Cache/Cache_Data:7000
$chrome/Default/Code Cache/js:2500
$chrome/Default/GPUCache:5
$chrome/Profile 1/Cache/Cache_Data:3000
$chrome/Profile 1/Code Cache/wasm:500
$chrome/ShaderCache:100
$chrome/GrShaderCache:50
$edge/Default/Cache/Cache_Data:2000
$firefox_local/cache2/entries:4500
$firefox_local/startupCache:1
$firefox_local/thumbnails:344"
# ... and the cache folders that hold them, as the floor is handed them.
floor="$chrome/Default/Cache
$chrome/Default/Code Cache
$chrome/Default/GPUCache
$chrome/Profile 1/Cache
$chrome/Profile 1/Code Cache
$chrome/ShaderCache
$chrome/GrShaderCache
$edge/Default/Cache
$firefox_local/cache2
$firefox_local/startupCache
$firefox_local/thumbnails"
make_master() {
    rm -rf "$master"
    mkdir -p "$master"
    printf '%s\n' "$caches" | awk -v root="$master" -F: 'BEGIN { srand(26) }
        {
            folder = root "/" $1
            system("mkdir -p \"" folder "\"")
            for (f = 0; f < $2; f++) {
                path = sprintf("%s/f_%06x", folder, f)
                printf "%" int(rand() * 4096) "s", "" > path
                close(path)
            }
        }'
    for profile in "$chrome/Default" "$chrome/Profile 1" "$edge/Default" "$firefox_roaming"; do
        mkdir -p "$master/$profile"
        for keep in Cookies History "Login Data" Bookmarks Preferences places.sqlite prefs.js; do
            echo kept >"$master/$profile/$keep"
        done
    done
    for keep in "$chrome/Local State" "$edge/Local State" "$firefox_local/safebrowsing/google4.vlpset" \
                "$firefox_local/cookies.sqlite-wal" "$chrome/Default/Network/Cookies" \
                "$chrome/Default/Sessions/Session_1" "$edge/Default/Extensions/ext.json"; do
        mkdir -p "$(dirname "$master/$keep")"
        echo kept >"$master/$keep"
    done
    printf '[Profile0]\r\nName=default-release\r\nIsRelative=1\r\nPath=Profiles/bench.default-release\r\n' \
        >"$master/Roaming/Mozilla/Firefox/profiles.ini"
    touch "$master.done"
}
if [ ! -f "$master.done" ]; then
    echo "Making the profile in $master ..."
    make_master
fi
# The size of every file in the caches, one line each, of the master or the
# copy ($1).
cache_files() {
    printf '%s\n' "$floor" | while IFS= read -r folder; do
        [ ! -d "$1/$folder" ] || find "$1/$folder" -type f -printf '%s\n'
    done
}
files=$(cache_files "$master" | wc -l)
bytes=$(cache_files "$master" | awk '{ s += $1 } END { printf "%.0f", s }')
all_files=$(find "$master" -type f | wc -l)

copy=$scratch/copy
fresh_copy() {
    rm -rf "$copy"
    cp -a "$master" "$copy"
    [ "$cached" = 1 ] || sync
}
warn() { echo "WARNING: $*" >&2; }
results=$scratch/results
last=
measure() { # label, then cache_bench's arguments
    label=$1
    shift
    line=$("$wine" "$bench" "$@" </dev/null 2>/dev/null | tr -d '\r' | grep '^cache_bench ') || true
    ms=$(printf '%s\n' "$line" | sed -n 's/.* ms=\([0-9.]*\) .*/\1/p')
    last=$(printf '%s\n' "$line" | sed -n 's/.* result=\([0-9]*\)$/\1/p')
    [ -n "$ms" ] || { warn "cache_bench $label printed nothing"; ms=NaN; }
    echo "$label $ms" >>"$results"
}
check_removed() { # what ran: no cache file left, every other file there
    left=$(cache_files "$copy" | wc -l)
    [ "$left" -eq 0 ] || warn "$1 left $left cache files"
    others=$(find "$copy" -type f | wc -l)
    [ "$others" -eq $((all_files - files)) ] || warn "$1 left $others files, not the $((all_files - files)) others"
}

echo "Profile: $files cache files, $bytes bytes in them. Build: $build ($arch)."
echo "Copies $( [ "$cached" = 1 ] && echo "in the page cache (-c)" || echo "written to disk before each measurement"), $runs runs."
load_start=$(cut -d' ' -f1-3 /proc/loadavg)
WINEPREFIX=$prefix /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
"$wine" cmd /c exit >/dev/null 2>&1 # the persistent server and Wine's helpers
local_folder=$(winpath "$copy/Local")
roaming_folder=$(winpath "$copy/Roaming")
# The floor's arguments: the copy's cache folders.
set --
while IFS= read -r folder; do
    set -- "$@" "$(winpath "$copy/$folder")"
done <<EOF
$floor
EOF
: >"$results"
run=1
while [ "$run" -le "$runs" ]; do
    echo "Run $run of $runs ..."
    # The component and its floor take turns at going first.
    for turn in 0 1; do
        if [ $(((run + turn) % 2)) = 1 ]; then
            fresh_copy; measure size size "$local_folder" "$roaming_folder"
            [ "$last" = "$bytes" ] || warn "GetSize gave $last, not $bytes"
        else
            fresh_copy; measure floor-size floor-size "$@"
            [ "$last" = "$bytes" ] || warn "the floor measured $last, not $bytes"
        fi
    done
    for turn in 0 1; do
        if [ $(((run + turn) % 2)) = 1 ]; then
            fresh_copy; measure remove remove "$local_folder" "$roaming_folder"; check_removed Compact
        else
            fresh_copy; measure floor-remove floor-remove "$@"; check_removed "the floor"
        fi
    done
    run=$((run + 1))
done
load_end=$(cut -d' ' -f1-3 /proc/loadavg)

median() {
    awk -v k="$1" '$1 == k { print $2 }' "$results" | sort -g |
        awk '{ v[NR] = $1 } END { if (NR == 0) print "NaN"; else if (NR % 2) print v[(NR + 1) / 2];
                                   else printf "%.3f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
size=$(median size); floor_size=$(median floor-size)
remove=$(median remove); floor_remove=$(median floor-remove)
awk -v s="$size" -v fs="$floor_size" -v r="$remove" -v fr="$floor_remove" -v n="$runs" -v files="$files" 'BEGIN {
    printf "\nMedians of %d runs in milliseconds, %d cache files:\n", n, files
    printf "  %-44s %10.1f\n", "GetSize (LSWebCaches.dll)", s
    printf "  %-44s %10.1f\n", "floor: GetTreeSize of each cache folder", fs
    printf "  %-44s %10.1f\n", "Compact, deleting (LSWebCaches.dll)", r
    printf "  %-44s %10.1f\n", "floor: one CleaningRun of the cache folders", fr
    printf "\nratios:\n"
    printf "  GetSize / floor: %.3f (target <= 1.15) %s\n", s / fs, s / fs <= 1.15 ? "met" : "NOT met"
    printf "  Compact / floor: %.3f (target <= 1.15) %s\n", r / fr, r / fr <= 1.15 ? "met" : "NOT met"
    printf "RESULT size_ms=%s floor_size_ms=%s remove_ms=%s floor_remove_ms=%s size_ratio=%.3f remove_ratio=%.3f\n",
           s, fs, r, fr, s / fs, r / fr
}'
echo "load average: $load_start at the start, $load_end at the end"
