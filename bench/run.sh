#!/bin/sh
# Times the folder walkers (GetTreeSize, RemoveTree) against Wine's own cmd
# built-ins and the native tools, on a generated tree of about 22,000 files.
#
#   bench/run.sh [-b build folder] [-a i686|x86_64] [-n runs] [-x]
#
#   -b  build folder (default build/bench); configured and built when needed
#   -a  target; default i686 when 32-bit Wine runs on this machine, else x86_64
#   -n  runs per measurement, the median is reported (default 3)
#   -x  also time the experimental walks in bench/WalkBench.cpp
#
# Every measurement runs on a fresh copy (cp -a) of one master tree kept in
# <build>/bench-scratch; the copies and the Recycle Bin are emptied as it goes.
# walk_bench times itself inside the process (QueryPerformanceCounter). The
# cmd built-ins are timed two ways, both minus the same command doing nothing
# (cmd /c exit), so Wine's start-up is left out:
#   wall   wall time of "wine cmd /c ..." on the Linux side
#   spawn  walk_bench spawn: cmd started from inside Wine, timed with QPC
set -eu

repo=$(cd "$(dirname "$0")/.." && pwd)
build=build/bench
arch=
runs=3
variants=0
while getopts b:a:n:x option; do
    case $option in
    b) build=$OPTARG ;;
    a) arch=$OPTARG ;;
    n) runs=$OPTARG ;;
    x) variants=1 ;;
    *) echo "usage: $0 [-b build folder] [-a i686|x86_64] [-n runs] [-x]" >&2; exit 2 ;;
    esac
done
if [ -z "$arch" ]; then
    if /usr/lib/wine/wine --version >/dev/null 2>&1; then arch=i686; else arch=x86_64; fi
fi

# --- build -------------------------------------------------------------------
cd "$repo"
case $build in /*) ;; *) build=$repo/$build ;; esac
if [ -f "$build/CMakeCache.txt" ]; then
    built=$(sed -n 's/^LS_ARCH:[A-Z]*=//p' "$build/CMakeCache.txt")
    if [ -n "$built" ] && [ "$built" != "$arch" ]; then
        echo "run.sh: $build is a $built build, not $arch; pick another with -b" >&2
        exit 2
    fi
    cmake --build "$build" --target walk_bench >/dev/null
else
    scripts/build.sh "$arch" "$build" >/dev/null
fi
build=$(cd "$build" && pwd)
wine="$build/wine-run.sh"
bench="$build/bench/walk_bench.exe"
[ -x "$wine" ] && [ -f "$bench" ] || { echo "run.sh: no $bench (LS_TESTS off?)" >&2; exit 2; }

scratch=$build/bench-scratch
master=$scratch/master
trash=$build/wine/home/.local/share/Trash
wineprefix=$build/wine/prefix

stop_server() {
    WINEPREFIX=$wineprefix /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
}
cleanup() {
    case $scratch in */bench-scratch) rm -rf "$scratch"/copy-* ;; esac
    rm -rf "$trash/files" "$trash/info"
    stop_server
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# --- the tree ----------------------------------------------------------------
# 10 folders, 10 below each, 2 below each of those: 310 folders with 70 files
# apiece, plus 20 in the top: 21,720 files. Small files of 0-12 KiB (most of
# them under 3 KiB), and 24 of 1-6 MiB. The same seed gives the same tree.
make_master() {
    rm -rf "$master"
    mkdir -p "$master"
    awk -v root="$master" 'BEGIN {
        srand(4242)
        chunk = "0123456789abcdef"
        while (length(chunk) < 65536) chunk = chunk chunk
        ext[0] = "tmp"; ext[1] = "log"; ext[2] = "dat"; ext[3] = "txt"; ext[4] = "bak"; ext[5] = "cache"
        n = 0
        folders[n++] = ""
        for (a = 0; a < 10; a++) {
            folders[n++] = sprintf("d%02d", a)
            for (b = 0; b < 10; b++) {
                folders[n++] = sprintf("d%02d/s%02d", a, b)
                for (c = 0; c < 2; c++) folders[n++] = sprintf("d%02d/s%02d/x%d", a, b, c)
            }
        }
        dirs = ""
        for (i = 1; i < n; i++) dirs = dirs " \"" root "/" folders[i] "\""
        system("mkdir -p" dirs)
        big = 0
        for (i = 0; i < n; i++) {
            count = (i == 0) ? 20 : 70
            for (f = 0; f < count; f++) {
                path = root "/" (i == 0 ? "" : folders[i] "/") sprintf("f%03d_%02d.%s", i, f, ext[(i + f) % 6])
                if ((i * 70 + f) % 905 == 17) { size = int(1048576 + rand() * 5242880); big++ }
                else { r = rand(); size = int(r * r * 12288) }
                printf "" > path
                while (size > 0) {
                    part = size > 65536 ? 65536 : size
                    printf "%s", substr(chunk, 1, part) > path
                    size -= part
                }
                close(path)
            }
        }
    }'
    touch "$master.done"
}
if [ ! -f "$master.done" ]; then
    echo "Making the tree in $master ..."
    make_master
fi
files=$(find "$master" -type f | wc -l)
folders=$(find "$master" -mindepth 1 -type d | wc -l)
bytes=$(find "$master" -type f -printf '%s\n' | awk '{ s += $1 } END { printf "%.0f", s }')

copy_number=0
fresh_copy() {
    copy_number=$((copy_number + 1))
    copy=$scratch/copy-$copy_number
    rm -rf "$copy"
    cp -a "$master" "$copy"
    sync # no write-back of the copy during a measurement
    wcopy="Z:$(printf '%s' "$copy" | tr / '\\')"
}
drop_copy() { rm -rf "$copy"; }
empty_trash() { rm -rf "$trash/files" "$trash/info"; }

now_ns() { date +%s%N; }
warn() { echo "WARNING: $*" >&2; }

# Runs walk_bench and prints its milliseconds; its result goes to $last.
last=$scratch/last-result
walk_bench() {
    line=$("$wine" "$bench" "$@" 2>/dev/null | tr -d '\r' | grep '^walk_bench ') || true
    ms=$(printf '%s\n' "$line" | sed -n 's/.* ms=\([0-9.]*\) .*/\1/p')
    printf '%s\n' "$line" | sed -n 's/.* result=\([0-9]*\) .*/\1/p' >"$last"
    [ -n "$ms" ] || { warn "walk_bench $* printed nothing"; ms=NaN; }
    echo "$ms"
}

# Wall milliseconds of a Linux command.
wall() {
    start=$(now_ns)
    "$@" >/dev/null 2>&1 || true
    end=$(now_ns)
    awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f\n", (b - a) / 1e6 }'
}

check_empty() { # $1: what ran; the copy must be there and empty
    if [ ! -d "$copy" ] || [ -n "$(find "$copy" -mindepth 1 | head -1)" ]; then
        warn "$1 left $(find "$copy" -mindepth 1 2>/dev/null | wc -l) entries"
    fi
}
check_gone() {
    [ ! -e "$copy" ] || warn "$1 left $(find "$copy" 2>/dev/null | wc -l) entries"
}
check_trash() {
    trashed=$(find "$trash/files" -mindepth 1 -maxdepth 1 2>/dev/null | wc -l)
    [ "$trashed" -eq "$files" ] || warn "$1 put $trashed files in the Recycle Bin, not $files"
}

results=$scratch/results
: >"$results"
record() { echo "$1 $2" >>"$results"; } # name ms

median() { # of the values recorded for $1
    awk -v k="$1" '$1 == k { print $2 }' "$results" | sort -g |
        awk '{ v[NR] = $1 } END { if (NR == 0) print "NaN"; else if (NR % 2) print v[(NR + 1) / 2];
                                   else printf "%.3f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# --- the measurements --------------------------------------------------------
echo "Tree: $files files, $folders folders, $bytes bytes. Build: $build ($arch), $runs runs."
mkdir -p "$trash"
stop_server # a server of an earlier run would not be the persistent one
"$wine" cmd /c exit >/dev/null 2>&1 # starts the persistent server and Wine's helpers
"$wine" cmd /c exit >/dev/null 2>&1
"$wine" "$bench" spawn cmd /c exit >/dev/null 2>&1

run=1
while [ "$run" -le "$runs" ]; do
    echo "Run $run of $runs ..."
    # Wine's start-up: the cost of the command doing nothing, five times a run.
    for i in 1 2 3 4 5; do
        record noop-wall "$(wall "$wine" cmd /c exit)"
        record noop-spawn "$(walk_bench spawn cmd /c exit)"
    done

    # Size of the tree.
    fresh_copy; record size "$(walk_bench size "$wcopy")"
    [ "$(cat "$last")" = "$bytes" ] || warn "GetTreeSize gave $(cat "$last"), not $bytes"
    drop_copy
    fresh_copy; record dir-wall "$(wall "$wine" cmd /c dir /s /a "$wcopy" '>NUL')"; drop_copy
    fresh_copy; record dir-spawn "$(walk_bench spawn cmd /c dir /s /a "$wcopy" '>NUL')"; drop_copy
    fresh_copy; record du "$(wall du -sb "$copy")"; drop_copy

    # Deletion.
    fresh_copy; record remove "$(walk_bench remove "$wcopy")"; check_empty RemoveTree; drop_copy
    fresh_copy; record rd-wall "$(wall "$wine" cmd /c rd /s /q "$wcopy")"; check_gone "rd /s /q"
    fresh_copy; record rd-spawn "$(walk_bench spawn cmd /c rd /s /q "$wcopy")"; check_gone "rd /s /q"
    fresh_copy; record rm "$(wall rm -rf "$copy")"; check_gone "rm -rf"

    # Recycle Bin.
    empty_trash
    fresh_copy; record recycle "$(walk_bench recycle "$wcopy")"
    check_empty "RemoveTree (recycle)"; check_trash "RemoveTree (recycle)"; drop_copy; empty_trash
    fresh_copy; record recycle-each "$(walk_bench recycle-each "$wcopy")"
    check_empty recycle-each; check_trash recycle-each; drop_copy; empty_trash

    if [ "$variants" = 1 ]; then
        for op in size-find size-attr size-basic size-star walk; do
            fresh_copy; record "$op" "$(walk_bench "$op" "$wcopy")"; drop_copy
        done
        fresh_copy; record guard "$(walk_bench guard "$wcopy")"; drop_copy
        fresh_copy; record recycle-folder "$(walk_bench recycle-folder "$wcopy")"
        check_empty recycle-folder; check_trash recycle-folder; drop_copy; empty_trash
    fi
    run=$((run + 1))
done

# --- the table ---------------------------------------------------------------
noop_wall=$(median noop-wall)
noop_spawn=$(median noop-spawn)
for k in size dir-wall dir-spawn du remove rd-wall rd-spawn rm recycle recycle-each \
         size-find size-attr size-basic size-star walk guard recycle-folder; do
    eval "m_$(echo "$k" | tr - _)=$(median "$k")"
done
net() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", a - b }'; }
dir=$(net "$m_dir_wall" "$noop_wall")
dir_spawn=$(net "$m_dir_spawn" "$noop_spawn")
rd=$(net "$m_rd_wall" "$noop_wall")
rd_spawn=$(net "$m_rd_spawn" "$noop_spawn")
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b + 0 > 0) printf "%.2f", a / b; else print "-" }'; }
ms() { awk -v a="$1" 'BEGIN { printf "%.1f", a }'; }
verdict() { awk -v r="$1" -v t="$2" 'BEGIN { print (r + 0 <= t + 0) ? "met" : "NOT met" }'; }

echo
echo "Medians of $runs runs, milliseconds; $files files in $folders folders, $bytes bytes."
echo "Wine start-up subtracted from the cmd figures: cmd /c exit = $(ms "$noop_wall") ms wall," \
     "$(ms "$noop_spawn") ms spawned."
echo
printf '%-34s %10s %11s %11s\n' "measurement" "ms" "vs native" ""
printf '%-34s %10s %11s\n' "GetTreeSize (walk_bench size)" "$(ms "$m_size")" "$(ratio "$m_size" "$m_du")"
printf '%-34s %10s %11s\n' "cmd dir /s /a >NUL (wall - exit)" "$dir" "$(ratio "$dir" "$m_du")"
printf '%-34s %10s %11s\n' "cmd dir /s /a >NUL (spawn - exit)" "$dir_spawn" "$(ratio "$dir_spawn" "$m_du")"
printf '%-34s %10s %11s\n' "du -sb (native)" "$(ms "$m_du")" "1.00"
printf '%-34s %10s %11s\n' "RemoveTree delete (walk_bench)" "$(ms "$m_remove")" "$(ratio "$m_remove" "$m_rm")"
printf '%-34s %10s %11s\n' "cmd rd /s /q (wall - exit)" "$rd" "$(ratio "$rd" "$m_rm")"
printf '%-34s %10s %11s\n' "cmd rd /s /q (spawn - exit)" "$rd_spawn" "$(ratio "$rd_spawn" "$m_rm")"
printf '%-34s %10s %11s\n' "rm -rf (native)" "$(ms "$m_rm")" "1.00"
printf '%-34s %10s %11s\n' "RemoveTree recycle (walk_bench)" "$(ms "$m_recycle")" "$(ratio "$m_recycle" "$m_rm")"
printf '%-34s %10s %11s\n' "recycle-each (one call per file)" "$(ms "$m_recycle_each")" "$(ratio "$m_recycle_each" "$m_rm")"
if [ "$variants" = 1 ]; then
    echo
    echo "Experimental walks (bench/WalkBench.cpp), not product code:"
    for k in size-find size-attr size-basic size-star walk guard recycle-folder; do
        v=$(median "$k")
        printf '%-34s %10s %11s\n' "$k" "$(ms "$v")" "$(ratio "$v" "$m_du")"
    done
fi
echo
r_size=$(ratio "$m_size" "$dir"); r_size_s=$(ratio "$m_size" "$dir_spawn")
r_rd=$(ratio "$m_remove" "$rd"); r_rd_s=$(ratio "$m_remove" "$rd_spawn")
echo "GetTreeSize / dir /s          $r_size (spawned: $r_size_s)   target <= 1.5: $(verdict "$r_size" 1.5)"
echo "RemoveTree / rd /s /q         $r_rd (spawned: $r_rd_s)   target <= 1.2: $(verdict "$r_rd" 1.2)"
echo "RemoveTree recycle / each     $(ratio "$m_recycle" "$m_recycle_each")"
echo "RESULT size=$(ms "$m_size") dir=$dir du=$(ms "$m_du") remove=$(ms "$m_remove") rd=$rd" \
     "rm=$(ms "$m_rm") recycle=$(ms "$m_recycle") recycle_each=$(ms "$m_recycle_each")" \
     "size_vs_dir=$r_size remove_vs_rd=$r_rd recycle_vs_each=$(ratio "$m_recycle" "$m_recycle_each")"
