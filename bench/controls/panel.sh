#!/bin/sh
# How quickly the settings applet is usable while it measures a large
# temporary folder: panel_bench.exe against LS5Panel.exe and the applet's own
# start-up code, with the real component server registered.
#
#   bench/controls/panel.sh [-b build folder] [-a i686|x86_64] [-n runs] [-f files]
#
#   -b  build folder (default build/bench); configured and built when needed
#   -a  target; default i686 when 32-bit Wine runs on this machine, else x86_64
#   -n  runs per measurement (default 5); medians are reported
#   -f  files in the large temporary folder (default 20000)
#
# It prints, for an empty temporary folder and for one of the given number of
# small files:
#   start to sheet   from CreateProcess of LS5Panel.exe until its sheet is
#                    visible and answers a message (target < 500 ms, and not
#                    longer with the large folder than with the empty one)
#   round trip       one list-view message sent from a second thread to the
#                    General page's thread, again and again while the sizes
#                    are pending (target: 99th percentile < 50 ms)
#   last size        from the start of the applet's code (inside panel_bench)
#                    until the last row shows its size (looked for every
#                    50 ms), as a ratio to one GetTreeSize of the same folder
#                    timed alone right after, run by run (target <= 1.2)
set -eu

repo=$(cd "$(dirname "$0")/../.." && pwd)
build=build/bench
arch=
runs=5
count=20000
while getopts b:a:n:f: option; do
    case $option in
    b) build=$OPTARG ;;
    a) arch=$OPTARG ;;
    n) runs=$OPTARG ;;
    f) count=$OPTARG ;;
    *) echo "usage: $0 [-b build folder] [-a i686|x86_64] [-n runs] [-f files]" >&2; exit 2 ;;
    esac
done

# --- build -------------------------------------------------------------------
bench_name=panel.sh
. "$repo/bench/build-for-bench.sh"
bench_build Controls LSCleaners panel_bench
wine=$build/wine-run.sh
bench=$build/bench/panel_bench.exe
[ -x "$wine" ] && [ -f "$bench" ] || { echo "panel.sh: no $bench" >&2; exit 2; }
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }

# --- the folders -------------------------------------------------------------
scratch=$build/panel-bench
empty=$scratch/temp-empty
large=$scratch/temp-$count
mkdir -p "$empty"
if [ ! -f "$large.done" ]; then
    echo "Making $count files in $large ..."
    rm -rf "$large"
    # 100 folders of small files, 0-4 KiB each; the same every time.
    awk -v root="$large" -v count="$count" 'BEGIN {
        srand(8)
        for (d = 0; d < 100; d++) system("mkdir -p \"" root "/d" d "\"")
        for (f = 0; f < count; f++) {
            path = sprintf("%s/d%d/f%05d.tmp", root, f % 100, f)
            size = int(rand() * 4096)
            line = sprintf("%" size "s", "")
            printf "%s", line > path
            close(path)
        }
    }'
    touch "$large.done"
fi

# --- a display and a Wine server of our own ----------------------------------
prefix=$(sed -n "s/^export WINEPREFIX='\(.*\)'$/\1/p" "$wine")
xvfb=
cleanup() {
    WINEPREFIX=$prefix /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
trap 'exit 130' INT TERM
[ -d "$prefix" ] && { WINEPREFIX=$prefix /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true; }
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$scratch/display" </dev/null >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do
    [ -s "$scratch/display" ] && break
    sleep 0.1
done
export DISPLAY=":$(cat "$scratch/display")"
"$wine" regsvr32 /s "$(winpath "$build/bin/LSCleaners.dll")" </dev/null >/dev/null 2>&1

# --- the measurements --------------------------------------------------------
results=$scratch/results
: >"$results"
load_start=$(cut -d' ' -f1-3 /proc/loadavg)
measure() { # label, then panel_bench's arguments
    label=$1
    shift
    "$wine" "$bench" "$@" </dev/null 2>/dev/null | tr -d '\r' | sed "s/^/$label /" >>"$results"
}
applet=$(winpath "$build/bin/LS5Panel.exe")
echo "Temporary folders: empty, and $count files ($(du -sh "$large" | cut -f1)). $runs runs each. Build: $build ($arch)."
measure empty start "$applet" "$(winpath "$empty")" 1 # the first start loads everything from disk
: >"$results"
measure empty start "$applet" "$(winpath "$empty")" "$runs"
measure large start "$applet" "$(winpath "$large")" "$runs"
measure empty inside "$(winpath "$empty")" "$runs" 10
measure large inside "$(winpath "$large")" "$runs" 10   # round trips
measure slow inside "$(winpath "$large")" "$runs" 50    # the last size, with fewer probes
"$wine" regsvr32 /u /s "$(winpath "$build/bin/LSCleaners.dll")" </dev/null >/dev/null 2>&1
load_end=$(cut -d' ' -f1-3 /proc/loadavg)

# Median, or another quantile, of one label's values of one name.
quantile() { # label name q
    awk -v l="$1" -v k="$2" '$1 == l && $2 == k { print $3 }' "$results" | sort -g |
        awk -v q="$3" '{ v[NR] = $1 } END { if (NR == 0) { print "NaN"; exit }
                                            i = int(q * (NR - 1) + 0.5) + 1; print v[i] }'
}
count_of() { awk -v l="$1" -v k="$2" '$1 == l && $2 == k' "$results" | wc -l; }

start_empty=$(quantile empty start_to_sheet 0.5)
start_large=$(quantile large start_to_sheet 0.5)
inside_empty=$(quantile empty inside_start_to_sheet 0.5)
inside_large=$(quantile large inside_start_to_sheet 0.5)
trip_p50=$(quantile large round_trip 0.5)
trip_p99=$(quantile large round_trip 0.99)
trip_max=$(quantile large round_trip 1)
trips=$(count_of large round_trip)
last=$(quantile slow inside_start_to_last_size 0.5)
walk=$(quantile slow get_tree_size 0.5)
ratio=$(quantile slow last_size_ratio 0.5)
ratio_probed=$(quantile large last_size_ratio 0.5)

printf '\n%-58s %10s %10s\n' "" "empty" "$count files"
printf '%-58s %10s %10s\n' "LS5Panel.exe start to sheet answering, ms (median)" "$start_empty" "$start_large"
printf '%-58s %10s %10s\n' "applet code start to sheet answering, in-process, ms" "$inside_empty" "$inside_large"
printf '\nWhile the sizes were pending (%s round trips over %s runs):\n' "$trips" "$runs"
printf '  page round trip, ms: median %s, 99th percentile %s, longest %s\n' "$trip_p50" "$trip_p99" "$trip_max"
printf '\nLast size shown %s ms after the start (probed every 50 ms); one GetTreeSize of the folder %s ms;\n' "$last" "$walk"
printf 'the ratio of the two, run by run: median %s (%s with the round-trip probes every 10 ms).\n' "$ratio" "$ratio_probed"
awk -v se="$start_empty" -v sl="$start_large" -v p99="$trip_p99" -v last="$last" -v walk="$walk" -v ratio="$ratio" 'BEGIN {
    printf "\nratios:\n"
    printf "  start with %s files / start empty:     %.2f (target <= 1, and under 500 ms)\n", "'"$count"'", sl / se
    printf "  page round trip p99 / 50 ms:           %.2f (target < 1)\n", p99 / 50
    printf "  last size / one GetTreeSize:           %.2f (target <= 1.2)\n", ratio
    printf "RESULT start_empty_ms=%s start_large_ms=%s round_trip_p99_ms=%s last_size_ms=%s get_tree_size_ms=%s last_size_ratio=%s\n",
           se, sl, p99, last, walk, ratio
}'
echo "load average: $load_start at the start, $load_end at the end"
