#!/bin/sh
# Times the folder walkers (GetTreeSize, RemoveTree) against Wine's own cmd
# built-ins and the native tools, on a generated tree of about 22,000 files.
#
#   bench/run.sh [-b build folder] [-a i686|x86_64] [-n runs] [-c] [-q] [-x]
#
#   -b  build folder (default build/bench); configured and built when needed
#   -a  target; default i686 when 32-bit Wine runs on this machine, else x86_64
#   -n  runs per measurement, the median is reported (default 3)
#   -c  no sync after copying: the copies stay in the page cache, so the
#       figures show the programs' own cost rather than the disk's
#   -q  leave out Wine's cmd built-ins (dir /s, rd /s /q: most of the time)
#   -x  also time the cmd built-ins from inside Wine (a cross-check) and the
#       experimental walks in bench/WalkBench.cpp
#
# Besides the baselines, each walker is timed against its floor, a walk that
# makes only the calls its work needs at the least (walk_bench bare-remove,
# bare-size), and the Recycle Bin walk against one shell call per file.
# Every measurement runs on a fresh copy (cp -a) of one master tree kept in
# <build>/bench-scratch, written back to disk (sync) before it is timed; the
# copies and the Recycle Bin are emptied as it goes, the master stays for the
# next run. walk_bench times itself inside the process (QueryPerformanceCounter).
# The cmd built-ins are timed by the wall clock of the whole "wine cmd /c ..."
# minus the median of the same command doing nothing ("cmd /c exit"), which
# leaves out Wine's start-up. With -x they are also started from inside Wine
# by "walk_bench spawn" and timed there, again minus "cmd /c exit".
set -eu

repo=$(cd "$(dirname "$0")/.." && pwd)
build=build/bench
arch=
runs=3
variants=0
cached=0
quick=0
while getopts b:a:n:cqx option; do
    case $option in
    b) build=$OPTARG ;;
    a) arch=$OPTARG ;;
    n) runs=$OPTARG ;;
    c) cached=1 ;;
    q) quick=1 ;;
    x) variants=1 ;;
    *) echo "usage: $0 [-b build folder] [-a i686|x86_64] [-n runs] [-c] [-q] [-x]" >&2; exit 2 ;;
    esac
done

# --- build -------------------------------------------------------------------
bench_name=run.sh
. "$repo/bench/build-for-bench.sh"
bench_build walk_bench
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
    [ "$cached" = 1 ] || sync # no write-back of the copy during a measurement
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
echo "Tree: $files files, $folders folders, $bytes bytes. Build: $build ($arch)."
echo "Copies $( [ "$cached" = 1 ] && echo "in the page cache (-c)" || echo "written to disk before each measurement")," \
     "$runs runs."
load_start=$(cut -d' ' -f1-3 /proc/loadavg)
mkdir -p "$trash"
stop_server # a server of an earlier run would not be the persistent one
"$wine" cmd /c exit >/dev/null 2>&1 # starts the persistent server and Wine's helpers
"$wine" cmd /c exit >/dev/null 2>&1
"$wine" "$bench" spawn cmd /c exit >/dev/null 2>&1

run=1
while [ "$run" -le "$runs" ]; do
    echo "Run $run of $runs ..."
    # Wine's start-up: the command doing nothing, five times a run.
    for i in 1 2 3 4 5; do
        record noop-wall "$(wall "$wine" cmd /c exit)"
        [ "$variants" = 0 ] || record noop-spawn "$(walk_bench spawn cmd /c exit)"
    done

    # Size of the tree.
    fresh_copy; record size "$(walk_bench size "$wcopy")"
    [ "$(cat "$last")" = "$bytes" ] || warn "GetTreeSize gave $(cat "$last"), not $bytes"
    drop_copy
    fresh_copy; record bare-size "$(walk_bench bare-size "$wcopy")"
    [ "$(cat "$last")" = "$bytes" ] || warn "bare-size gave $(cat "$last"), not $bytes"
    drop_copy
    [ "$quick" = 1 ] || { fresh_copy; record dir "$(wall "$wine" cmd /c dir /s /a "$wcopy" '>NUL')"; drop_copy; }
    fresh_copy; record du "$(wall du -sb "$copy")"; drop_copy

    # Deletion.
    fresh_copy; record remove "$(walk_bench remove "$wcopy")"; check_empty RemoveTree; drop_copy
    fresh_copy; record bare-remove "$(walk_bench bare-remove "$wcopy")"; check_empty bare-remove; drop_copy
    [ "$quick" = 1 ] || { fresh_copy; record rd "$(wall "$wine" cmd /c rd /s /q "$wcopy")"; check_gone "rd /s /q"; }
    fresh_copy; record rm "$(wall rm -rf "$copy")"; check_gone "rm -rf"

    # A cleaning of a long list of folders, all but one missing (the one is
    # an empty folder).
    mkdir -p "$scratch/listed"
    record listed "$(walk_bench listed "Z:$(printf '%s' "$scratch/listed" | tr / '\\')")"

    # Recycle Bin.
    empty_trash
    fresh_copy; record recycle "$(walk_bench recycle "$wcopy")"
    check_empty "RemoveTree (recycle)"; check_trash "RemoveTree (recycle)"; drop_copy; empty_trash
    fresh_copy; record recycle-each "$(walk_bench recycle-each "$wcopy")"
    check_empty recycle-each; check_trash recycle-each; drop_copy; empty_trash

    if [ "$variants" = 1 ]; then
        fresh_copy; record dir-spawn "$(walk_bench spawn cmd /c dir /s /a "$wcopy" '>NUL')"; drop_copy
        fresh_copy; record rd-spawn "$(walk_bench spawn cmd /c rd /s /q "$wcopy")"; check_gone "rd /s /q"
        for op in size-openfind size-attr size-find size-basic size-star walk guard; do
            fresh_copy; record "$op" "$(walk_bench "$op" "$wcopy")"
            case $op in size*) [ "$(cat "$last")" = "$bytes" ] || warn "$op gave $(cat "$last")" ;; esac
            drop_copy
        done
        fresh_copy; record recycle-folder "$(walk_bench recycle-folder "$wcopy")"
        check_empty recycle-folder; check_trash recycle-folder; drop_copy; empty_trash
        fresh_copy; record remove-vista "$(walk_bench remove-vista "$wcopy")"; check_empty remove-vista; drop_copy
        fresh_copy; record recycle-vista "$(walk_bench recycle-vista "$wcopy")"
        check_empty recycle-vista; check_trash recycle-vista; drop_copy; empty_trash
    fi
    run=$((run + 1))
done
load_end=$(cut -d' ' -f1-3 /proc/loadavg)

# --- the table ---------------------------------------------------------------
range() { # min-max of the values recorded for $1, whole milliseconds
    awk -v k="$1" '$1 == k { v = $2 + 0; if (n++ == 0 || v < lo) lo = v; if (v > hi) hi = v }
                   END { if (n) printf "%.0f-%.0f", lo, hi }' "$results"
}
num() { awk -v a="$1" 'BEGIN { printf "%.1f", a }'; }
minus() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", a - b }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (a == a + 0 && b + 0 > 0) printf "%.2f", a / b; else print "-" }'; }
verdict() { awk -v r="$1" -v t="$2" 'BEGIN { print (r == r + 0 && r + 0 <= t + 0) ? "met" : "NOT met" }'; }
row() { # label, ms, raw key for the range, native ms
    printf '%-38s %10s %11s %9s\n' "$1" "$2" "$(range "$3")" "$(ratio "$2" "$4")"
}

noop=$(median noop-wall)
du=$(num "$(median du)"); rm=$(num "$(median rm)")
size=$(num "$(median size)"); remove=$(num "$(median remove)")
recycle=$(num "$(median recycle)"); each=$(num "$(median recycle-each)")
bare_size=$(num "$(median bare-size)"); bare_remove=$(num "$(median bare-remove)")
dir=$(minus "$(median dir)" "$noop"); rd=$(minus "$(median rd)" "$noop")

echo
echo "Medians of $runs runs in milliseconds; $files files in $folders folders, $bytes bytes;" \
     "copies $( [ "$cached" = 1 ] && echo "in the page cache" || echo "on disk")."
echo "Load average (1, 5, 15 min) at the start: $load_start; at the end: $load_end."
echo "cmd rows: wall time minus 'cmd /c exit' ($(num "$noop") ms, range $(range noop-wall)); range column = raw runs."
echo
printf '%-38s %10s %11s %9s\n' "measurement" "ms" "range" "vs native"
row "GetTreeSize                 walk_bench" "$size" size "$du"
row "bare-size (the floor)       walk_bench" "$bare_size" bare-size "$du"
[ "$quick" = 1 ] || row "cmd /c dir /s /a >NUL       wall-exit" "$dir" dir "$du"
row "du -sb                      native" "$du" du "$du"
row "RemoveTree, delete          walk_bench" "$remove" remove "$rm"
row "bare-remove (the floor)     walk_bench" "$bare_remove" bare-remove "$rm"
[ "$quick" = 1 ] || row "cmd /c rd /s /q             wall-exit" "$rd" rd "$rm"
row "rm -rf                      native" "$rm" rm "$rm"
row "RemoveTree, recycle         walk_bench" "$recycle" recycle "$rm"
row "recycle-each, 1 call a file walk_bench" "$each" recycle-each "$rm"
if [ "$variants" = 1 ]; then
    noop_spawn=$(median noop-spawn)
    dir_spawn=$(minus "$(median dir-spawn)" "$noop_spawn")
    rd_spawn=$(minus "$(median rd-spawn)" "$noop_spawn")
    echo
    echo "Cross-check, cmd started inside Wine (walk_bench spawn) minus 'cmd /c exit' ($(num "$noop_spawn") ms):"
    row "cmd /c dir /s /a >NUL       spawn-exit" "$dir_spawn" dir-spawn "$du"
    row "cmd /c rd /s /q             spawn-exit" "$rd_spawn" rd-spawn "$rm"
    echo
    echo "Other ways to walk (bench/WalkBench.cpp, not product code):"
    for k in size-openfind size-attr size-find size-basic size-star walk guard; do
        row "$k" "$(num "$(median "$k")")" "$k" "$du"
    done
    row "recycle-folder" "$(num "$(median recycle-folder)")" recycle-folder "$rm"
    row "remove-vista" "$(num "$(median remove-vista)")" remove-vista "$rm"
    row "recycle-vista" "$(num "$(median recycle-vista)")" recycle-vista "$rm"
fi
r_size=$(ratio "$size" "$dir"); r_remove=$(ratio "$remove" "$rd"); r_recycle=$(ratio "$recycle" "$each")
r_size_bare=$(ratio "$size" "$bare_size"); r_remove_bare=$(ratio "$remove" "$bare_remove")
echo
echo "GetTreeSize / bare-size     $r_size_bare   (target <= 1.15: $(verdict "$r_size_bare" 1.15))"
echo "RemoveTree / bare-remove    $r_remove_bare   (target <= 1.25: $(verdict "$r_remove_bare" 1.25))"
echo "RemoveTree recycle / each   $r_recycle   (target <= 0.6: $(verdict "$r_recycle" 0.6))"
listed=$(num "$(median listed)")
echo "3,001 listed folders        $listed ms   (target < 3000: $(verdict "$listed" 2999.9))"
if [ "$quick" = 0 ]; then
    echo "GetTreeSize / dir /s        $r_size   (target <= 1.5: $(verdict "$r_size" 1.5))"
    echo "RemoveTree / rd /s /q       $r_remove   (target <= 1.2: $(verdict "$r_remove" 1.2))"
fi
echo "RESULT files=$files size=$size bare_size=$bare_size dir=$dir du=$du remove=$remove" \
     "bare_remove=$bare_remove rd=$rd rm=$rm recycle=$recycle recycle_each=$each" \
     "size/bare=$r_size_bare remove/bare=$r_remove_bare recycle/each=$r_recycle listed=$listed" \
     "size/dir=$r_size remove/rd=$r_remove size/du=$(ratio "$size" "$du") remove/rm=$(ratio "$remove" "$rm")"
