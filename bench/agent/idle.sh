#!/bin/sh
# What the resident Agent costs while it waits: wake-ups, CPU time and private
# memory of Agent.exe with every component enabled, with none enabled, and of
# bare_tray.exe (a tray program that does nothing), all measured from Linux.
#
#   bench/agent/idle.sh [-b build folder] [-a i686|x86_64] [-t seconds] [-n ticks] [-s] [-v]
#
#   -b  build folder (default build/idle); configured and built when needed
#   -a  target; default i686 when 32-bit Wine runs on this machine, else x86_64
#   -t  idle period measured, in seconds (default 60: the Agent's timer fires
#       once a minute, so one minute is the shortest period that shows it)
#   -n  ticks sent to each program after the idle period (default 10: ten idle
#       minutes' worth of timer work)
#   -s  install stripped copies of the programs and of the component server
#       (Wine reads a MinGW image, file alignment 512, into private memory
#       whole, the static runtime's debug sections included: -s shows what
#       that costs)
#   -v  also list, for each program, every mapping with private memory
#
# The programs run in the build's own Wine prefix (<build>/wine, made by
# <build>/wine-run.sh) on a virtual display of their own. The components are
# registered with regsvr32 and enabled for the user with Startup, Shutdown
# and TimeLapse 0, so that neither start-up nor a tick runs a compaction: an
# idle tick only counts. Each program is started, left 5 s to settle, then:
#   wake-ups  voluntary + involuntary context switches of all its threads
#             (/proc/<pid>/task/*/status) over the idle period, per minute
#   CPU       utime + stime of all its threads (/proc/<pid>/task/*/stat, in
#             10 ms clock ticks) and the scheduler's on-CPU time
#             (/proc/<pid>/task/*/schedstat, ns) over the idle period, and
#             over the ticks sent by send_ticks.exe (the bare program gets
#             them too and does nothing with them: its figure is what taking
#             a message sent by another process costs under Wine; the
#             sender's own time is counted for neither)
#   memory    Private_Clean + Private_Dirty (and Pss, Rss) from
#             /proc/<pid>/smaps_rollup after start-up, and after the ticks
set -eu

repo=$(cd "$(dirname "$0")/../.." && pwd)
build=build/idle
arch=
idle=60
ticks=10
strip=0
verbose=0
while getopts b:a:t:n:sv option; do
    case $option in
    b) build=$OPTARG ;;
    a) arch=$OPTARG ;;
    t) idle=$OPTARG ;;
    n) ticks=$OPTARG ;;
    s) strip=1 ;;
    v) verbose=1 ;;
    *) echo "usage: $0 [-b build folder] [-a i686|x86_64] [-t seconds] [-n ticks] [-s] [-v]" >&2; exit 2 ;;
    esac
done

# --- build -------------------------------------------------------------------
bench_name=idle.sh
. "$repo/bench/build-for-bench.sh"
bench_build Agent LSCleaners
if [ ! -x "$build/wine-run.sh" ]; then
    echo "idle.sh: $build has no wine-run.sh (configured with LS_TESTS=OFF?)" >&2
    exit 2
fi
# bare_tray and send_ticks come with the main build (bench/agent).
cmake --build "$build" --target bare_tray send_ticks >/dev/null
tools=$build/bench

# --- a display and a Wine server of our own --------------------------------------
wine=$build/wine-run.sh
prefix=$(sed -n "s/^export WINEPREFIX='\(.*\)'$/\1/p" "$wine")
wineserver=/usr/lib/wine/wineserver
scratch=$build/idle-bench
rm -rf "$scratch"
mkdir -p "$scratch"
xvfb=
running=
cleanup() {
    [ -n "$running" ] && kill "$running" 2>/dev/null || true
    WINEPREFIX=$prefix $wineserver -k >/dev/null 2>&1 || true
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# A server left over from another run may know another display: start afresh.
if [ -d "$prefix" ]; then
    WINEPREFIX=$prefix $wineserver -k >/dev/null 2>&1 || true
fi
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$scratch/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 50); do
    [ -s "$scratch/display" ] && break
    sleep 0.1
done
[ -s "$scratch/display" ] || { echo "idle.sh: Xvfb did not start" >&2; exit 1; }
DISPLAY=:$(cat "$scratch/display")
export DISPLAY
# The wrapper makes the prefix the first time and starts a persistent server.
"$wine" cmd /c exit </dev/null >/dev/null 2>&1
# The server's working folder is named after the prefix's device and inode.
serverdir=server-$(stat -c %D "$prefix")-$(printf %x "$(stat -c %i "$prefix")")
server=
for pid in $(pgrep -f '^/usr/lib/wine/wineserver'); do
    case $(readlink "/proc/$pid/cwd" 2>/dev/null) in */"$serverdir") server=$pid ;; esac
done

# --- install ------------------------------------------------------------------
install="$prefix/drive_c/Program Files/Larkspire"
benchdir="$prefix/drive_c/LarkspireBench"
mkdir -p "$install" "$benchdir"
cp "$build/bin/Agent.exe" "$build/bin/LSCleaners.dll" "$install/"
cp "$tools/bare_tray.exe" "$tools/send_ticks.exe" "$benchdir/"
stripped=
if [ "$strip" = 1 ]; then
    "$arch-w64-mingw32-strip" "$install/Agent.exe" "$install/LSCleaners.dll" "$benchdir/bare_tray.exe"
    stripped=", stripped"
fi
"$wine" regsvr32 /s 'C:\Program Files\Larkspire\LSCleaners.dll' </dev/null >/dev/null 2>&1
catalogue='HKEY_LOCAL_MACHINE\SOFTWARE\Quenlow\Larkspire\Components'
"$wine" reg query "$catalogue" </dev/null 2>/dev/null | tr -d '\r' |
    sed -n "s/^HKEY_LOCAL_MACHINE\\\\SOFTWARE\\\\Quenlow\\\\Larkspire\\\\Components\\\\//p" >"$scratch/components"
count=$(wc -l <"$scratch/components")
if [ "$count" -eq 0 ]; then
    echo "idle.sh: regsvr32 registered no component" >&2
    exit 1
fi

# Writes a .reg file that enables ($1 = 1) or disables ($1 = 0) every
# component for the user, with no start-up, shut-down or interval run.
components_reg() {
    printf 'REGEDIT4\r\n\r\n'
    while IFS= read -r name; do
        printf '[HKEY_CURRENT_USER\\Software\\Quenlow\\Larkspire\\Components\\%s]\r\n' "$name"
        printf '"Enabled"=dword:%08x\r\n"Startup"=dword:00000000\r\n' "$1"
        printf '"Shutdown"=dword:00000000\r\n"TimeLapse"=dword:00000000\r\n\r\n'
    done <"$scratch/components"
}
components_reg 1 >"$benchdir/enabled.reg"
components_reg 0 >"$benchdir/disabled.reg"

# --- measuring ---------------------------------------------------------------------
# "clock ticks, on-CPU ns, context switches, threads" of all threads of a process.
cpu_snapshot() {
    awk 'FILENAME ~ /\/stat$/ { sub(/.*\) /, ""); split($0, f, " "); ticks += f[12] + f[13]; threads++ }
         FILENAME ~ /\/schedstat$/ { ns += $1 }
         FILENAME ~ /\/status$/ && /^(non)?voluntary_ctxt_switches:/ { switches += $2 }
         END { printf "%d %d %d %d\n", ticks, ns, switches, threads }' \
        "/proc/$1/task/"*/stat "/proc/$1/task/"*/schedstat "/proc/$1/task/"*/status
}
# "private (clean + dirty), private dirty, Pss, Rss" in KiB.
memory_snapshot() {
    awk '/^Rss:/ { rss = $2 } /^Pss:/ { pss = $2 } /^Private_(Clean|Dirty):/ { private += $2 }
         /^Private_Dirty:/ { dirty = $2 }
         END { printf "%d %d %d %d\n", private, dirty, pss, rss }' "/proc/$1/smaps_rollup"
}
# Private KiB per mapped file ("[anon]" and the like for the rest), one line each.
private_by_mapping() {
    awk '/^[0-9a-f]+-[0-9a-f]+ / { name = "[anon]"; if (NF >= 6) { name = $6; for (i = 7; i <= NF; ++i) name = name " " $i } next }
         /^Private_(Clean|Dirty):/ { private[name] += $2 }
         END { for (name in private) if (private[name] > 0) printf "%d\t%s\n", private[name], name }' \
        "/proc/$1/smaps" | sort -rn
}
tick_hz=$(getconf CLK_TCK)
ms_from_ticks() { awk -v t="$1" -v hz="$tick_hz" 'BEGIN { printf "%.0f", t * 1000 / hz }'; }
ms_from_ns() { awk -v n="$1" 'BEGIN { printf "%.2f", n / 1e6 }'; }

# Starts a Windows program, finds its Linux pid by its Windows path, waits for
# its window, lets it settle, and measures. $1: label, $2: Windows path,
# $3: window class.
measure() {
    label=$1 path=$2 class=$3
    "$wine" "$path" </dev/null >/dev/null 2>&1 &
    running=$!
    "$wine" 'C:\LarkspireBench\send_ticks.exe' -class "$class" -wait 30 0 </dev/null >/dev/null 2>&1 || {
        echo "idle.sh: $label: no window of class $class after 30 s" >&2; exit 1; }
    pattern=$(printf '%s' "$path" | sed 's/[\\.]/\\&/g')
    # (Other prefixes on this machine may run the same program: take ours.)
    pid=
    for candidate in $(pgrep -f "^$pattern"); do
        if tr '\0' '\n' <"/proc/$candidate/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$prefix"; then
            pid=$candidate
        fi
    done
    [ -n "$pid" ] || { echo "idle.sh: $label: no process matches $path" >&2; exit 1; }
    sleep 5
    set -- $(memory_snapshot "$pid"); start_private=$1 start_dirty=$2 start_pss=$3 start_rss=$4
    private_by_mapping "$pid" >"$scratch/$label.map"
    set -- $(cpu_snapshot "$pid"); t0=$1 n0=$2 s0=$3 threads0=$4
    sleep "$idle"
    set -- $(cpu_snapshot "$pid"); t1=$1 n1=$2 s1=$3 threads1=$4
    "$wine" 'C:\LarkspireBench\send_ticks.exe' -class "$class" "$ticks" </dev/null >"$scratch/$label.ticks" 2>&1
    set -- $(cpu_snapshot "$pid"); t2=$1 n2=$2 s2=$3
    tick_ms=$(ms_from_ticks $((t2 - t1))) tick_ns=$(ms_from_ns $((n2 - n1))) tick_switches=$((s2 - s1))
    sleep 1
    set -- $(memory_snapshot "$pid"); end_private=$1 end_dirty=$2 end_pss=$3 end_rss=$4
    if "$wine" 'C:\LarkspireBench\send_ticks.exe' -class "$class" -close </dev/null >/dev/null 2>&1; then
        running=
    else
        echo "idle.sh: $label did not end on WM_CLOSE" >&2
    fi
    wakeups=$(awk -v s=$((s1 - s0)) -v t="$idle" 'BEGIN { printf "%.1f", s * 60 / t }')
    printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$label" "$pid" \
        "$wakeups" "$(ms_from_ticks $((t1 - t0)))" "$(ms_from_ns $((n1 - n0)))" \
        "$tick_ms" "$tick_ns" "$tick_switches" \
        "$start_private" "$start_pss" "$start_rss" "$end_private" "$end_pss" "$end_rss" \
        "$threads0/$threads1" "$start_dirty" "$end_dirty" "$((s1 - s0))" >>"$scratch/results"
    echo "idle.sh: $label measured (pid $pid)"
}

echo "idle.sh: $arch build in $build, display $DISPLAY, ${idle}s idle per program, $count components"
agent='C:\Program Files\Larkspire\Agent.exe'
"$wine" reg import 'C:\LarkspireBench\enabled.reg' </dev/null >/dev/null 2>&1
measure agent-all "$agent" quenlow_ls5AgentFrame
"$wine" reg import 'C:\LarkspireBench\disabled.reg' </dev/null >/dev/null 2>&1
measure agent-none "$agent" quenlow_ls5AgentFrame
measure bare-tray 'C:\LarkspireBench\bare_tray.exe' larkspire_BareTray
server_alive=no
[ -n "$server" ] && kill -0 "$server" 2>/dev/null && server_alive=yes

# --- report --------------------------------------------------------------------
echo
echo "Idle cost, $arch$stripped, over ${idle} s idle (wineserver persistent throughout: $server_alive)"
# Columns of results: 1 label, 2 pid, 3 wake-ups/min, 4-5 idle CPU (stat ms,
# sched ms), 6-8 ticks (stat ms, sched ms, switches), 9-11 private, Pss, Rss
# after start-up, 12-14 the same after the ticks, 15 threads at the start and
# the end of the idle period, 16-17 private dirty after start-up and after the
# ticks, 18 context switches over the idle period.
awk -F '\t' -v n="$ticks" -v components="$count" -v idle="$idle" '
    { label[NR] = $1; for (i = 2; i <= NF; ++i) v[NR, i] = $i; if ($1 == "bare-tray") bare = NR }
    function ratio(a, b) { return a == "-" ? "    -" : sprintf("%5.2f", a / b) }
    END {
        name["agent-all"] = "Agent, " components " components"
        name["agent-none"] = "Agent, no component"
        name["bare-tray"] = "bare tray program"
        f = "%-24s %10s %10s %10s %10s %10s %10s %8s\n"
        printf f, "", "wake-ups", "idle CPU", "idle CPU", "CPU for", "CPU for", "switches", "threads"
        printf f, "", "per min", "stat ms", "sched ms", n " ticks", n " ticks", "for " n, ""
        printf f, "", "", "", "", "stat ms", "sched ms", "ticks", ""
        for (r = 1; r <= NR; ++r)
            printf f, name[label[r]], v[r, 3], v[r, 4], v[r, 5], v[r, 6], v[r, 7], v[r, 8], v[r, 15]
        printf "\n"
        f = "%-24s %10s %10s %10s %10s %10s %10s %10s\n"
        printf f, "memory, KiB", "private", "private", "Pss", "Rss", "private", "private", "Rss"
        printf f, "", "", "dirty", "", "", "", "dirty", ""
        printf f, "", "at start", "at start", "at start", "at start", "after", "after", "after"
        printf f, "", "", "", "", "", "ticks", "ticks", "ticks"
        for (r = 1; r <= NR; ++r)
            printf f, name[label[r]], v[r, 9], v[r, 16], v[r, 10], v[r, 11], v[r, 12], v[r, 17], v[r, 14]
        printf "\nratio to the bare tray program (target for private memory: <= 1.5)\n"
        f = "%-24s %10s %10s %10s %10s %10s\n"
        printf f, "", "private", "private", "Pss", "private", "private"
        printf f, "", "at start", "dirty", "at start", "after", "excess"
        printf f, "", "", "at start", "", "ticks", "KiB"
        for (r = 1; r <= NR; ++r)
            if (r != bare)
                printf f, name[label[r]], ratio(v[r, 9], v[bare, 9]), ratio(v[r, 16], v[bare, 16]), \
                       ratio(v[r, 10], v[bare, 10]), ratio(v[r, 12], v[bare, 12]), "+" v[r, 9] - v[bare, 9]
    }' "$scratch/results"

# Where the private memory differs: KiB per mapped file, the rows that differ
# by 64 KiB or more between any two programs, largest Agent excess first.
echo
echo "private memory by mapping after start-up (KiB; rows differing by >= 64 KiB):"
awk -F '\t' '
    FNR == 1 { ++file }
    { name = $2; sub(/.*\//, "", name); kib[name, file] += $1; names[name] = 1; total[file] += $1 }
    END {
        printf "999999999\t  %-34s %10s %10s %10s %12s\n", "mapping", "Agent all", "Agent none", "bare tray", "all - bare"
        for (name in names) {
            d = kib[name, 1] - kib[name, 3]; e = kib[name, 2] - kib[name, 3]; f = kib[name, 1] - kib[name, 2]
            if (d >= 64 || d <= -64 || e >= 64 || e <= -64 || f >= 64 || f <= -64)
                printf "%d\t  %-34s %10d %10d %10d %+12d\n", d, name, kib[name, 1], kib[name, 2], kib[name, 3], d
        }
        printf "-999999999\t  %-34s %10d %10d %10d %+12d\n", "(every mapping)", total[1], total[2], total[3], \
               total[1] - total[3]
    }' "$scratch/agent-all.map" "$scratch/agent-none.map" "$scratch/bare-tray.map" | sort -t "$(printf '\t')" -k1,1 -rn | cut -f2-
echo "  (the private clean pages of a DLL are pages no other process maps right now:"
echo "  they become shared as soon as another program loads the same DLL)"
for label in agent-all agent-none bare-tray; do
    [ -s "$scratch/$label.ticks" ] && sed "s/^/  ($label) /" "$scratch/$label.ticks"
done
if [ "$verbose" = 1 ]; then
    for label in agent-all agent-none bare-tray; do
        echo
        echo "$label: private KiB by mapping"
        sed 's/^/  /' "$scratch/$label.map"
    done
fi
echo
echo "idle.sh: raw figures in $scratch"
