#!/bin/sh
# The installation by hand that the README gives for the machines the setup
# program cannot run on, step by step, in a Wine prefix of the test's own
# (ROOT/prefix, made anew each run), with nothing but the system's programs
# and the deliverables: the files copied into their folder, the component
# server registered with regsvr32, the settings applet started once, LSInstall
# answered from its folder, the wizard finished, the Agent started and
# cleaning; then the removal by hand, which leaves none of it.
#
#   manual_install_test.sh ARCH BINDIR ROOT DRIVER WINE
# DRIVER: setup_driver.exe, which answers the programs' windows; WINE: the
# program that starts a Wine process of ARCH.
set -u
arch=$1 bindir=$2 root=$3 driver=$4 wine=$5
rm -rf "$root"
mkdir -p "$root/home"
export WINEPREFIX="$root/prefix" HOME="$root/home"
export XDG_DATA_HOME="$HOME/.local/share" XDG_CONFIG_HOME="$HOME/.config" XDG_CACHE_HOME="$HOME/.cache"
export WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d'
[ "$arch" = x86_64 ] && export WINELOADER="$wine"
mkdir -p "$XDG_DATA_HOME"

failures=0
fail() { echo "manual_install_test: FAILED: $*"; failures=$((failures + 1)); }
pass() { echo "manual_install_test: ok: $*"; }
w() { "$wine" "$@" </dev/null 2>/dev/null; }
quiet() { "$wine" "$@" </dev/null >/dev/null 2>&1; }
driver() { w "$driver" "$@"; }
pids=
finish() {
    for pid in $pids; do kill "$pid" 2>/dev/null; done
    /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
}
trap finish EXIT

[ "$arch" = i686 ] && export WINEARCH=win32
/usr/lib/wine/wineserver -p </dev/null >/dev/null 2>&1 || true
quiet wineboot -i
unset WINEARCH
quiet reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f
quiet reg add 'HKCU\Software\Wine\Drivers' /v Audio /t REG_SZ /d '' /f
quiet reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /t REG_SZ /d '' /f
drive=$WINEPREFIX/drive_c
user=$(w cmd /c echo %USERNAME% | tr -d '\r')
temp=$drive/users/$user/Temp
dir="$drive/Program Files/Larkspire"
windir='C:\Program Files\Larkspire'
[ "$arch" = x86_64 ] && view=/reg:64 || view=
value() { # KEY VALUE [VIEW]: the value's data as reg query shows it, or nothing
    w reg query "$1" /v "$2" ${3:-} | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}
default() { # KEY: the key's default value
    w reg query "$1" /ve $view | tr -d '\r' | sed -n 's/^ *(Default) *REG_SZ *//p'
}
clsid='HKCR\CLSID\{EEFDDFC3-E68F-11D1-B5FF-0080C866E8E5}'
catalogue='HKLM\SOFTWARE\Quenlow\Larkspire\Components'
apppath='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\LS5Panel.exe'
run='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
userkey='HKCU\Software\Quenlow\Larkspire'

# 1. The folder and the files.
mkdir -p "$dir"
for f in LSCleaners.dll Agent.exe LS5Panel.exe LSWelcome.exe LSInstall.exe LSAutorun.inf; do
    cp "$bindir/$f" "$dir/" || fail "no $f in $bindir"
done

# 2. The component server, registered by the system's regsvr32.
quiet regsvr32 /s "$windir\\LSCleaners.dll"
[ "$(default "$clsid\\InprocServer32")" = "$windir\\LSCleaners.dll" ] &&
    [ "$(value "$catalogue\\Windows Temporary Files" CLSID $view)" = '{EEFDDFC3-E68F-11D1-B5FF-0080C866E8E5}' ] \
    && pass "regsvr32 registers the server from its folder and enters the components in the catalogue" \
    || fail "the server's classes or catalogue are missing after regsvr32"

# 3. The settings applet, started once, enters itself under App Paths.
# What Wine says of the applet's start is kept, to be shown if it fails.
WINEDEBUG=-all,err+all "$wine" "$dir/LS5Panel.exe" </dev/null >/dev/null 2>"$root/applet.err" &
applet=$!
pids="$pids $applet"
shown=yes
driver wait-dialog "Larkspire Settings" "" 60 || shown=no
driver close "Larkspire Settings" 5 >/dev/null
wait "$applet"
applet_status=$?
if [ $shown = no ]; then
    fail "the settings applet did not show its sheet (exit code $applet_status)"
    sed 's/^/manual_install_test:   /' "$root/applet.err" | tail -20
fi
[ "$(default "$apppath")" = "$windir\\LS5Panel.exe" ] \
    && pass "the settings applet entered itself under App Paths" || fail "no App Paths entry for LS5Panel.exe"

# 4. LSInstall from its folder: Yes to the Startup question.
driver answer "Larkspire Installation" "Startup group" 6 60 &
answer=$!
pids="$pids $answer"
rc=$(cd "$dir" && "$wine" "$driver" exec "\"$windir\\LSInstall.exe\" /startmeup" </dev/null >/dev/null 2>&1; echo $?)
wait "$answer" || fail "LSInstall's Startup question did not appear"
[ "$rc" = 1 ] && pass "LSInstall ends with exit code 1" || fail "LSInstall gave exit code $rc"
[ "$(value "$run" 'Larkspire Agent')" = "\"$windir\\Agent.exe\"" ] \
    && pass "LSInstall's INF entered the Agent among the log-on programs" \
    || fail "no log-on entry for the Agent: $(w reg query "$run" | tr -d '\r')"

# 5. The introduction wizard, to its Finish.
"$wine" "$dir/LSWelcome.exe" </dev/null >/dev/null 2>&1 &
wizard=$!
pids="$pids $wizard"
driver wizard "Larkspire Setup" 60 || fail "the introduction wizard did not appear or did not finish"
wait "$wizard"
[ "$(value "$userkey" Recycle)" = 0x1 ] && [ "$(value "$userkey\\Components\\Windows Temporary Files" Enabled)" = 0x1 ] \
    && pass "the wizard's Finish wrote the options and the components' Enabled" || fail "the wizard wrote no settings"

# 6. The Agent, as the log-on entry starts it, cleans the temporary folder.
mkdir -p "$temp/clutter"
echo old >"$temp/clutter/old.log"
"$wine" "$dir/Agent.exe" </dev/null >/dev/null 2>&1 &
agent=$!
pids="$pids $agent"
if driver wait-window quenlow_ls5AgentFrame 60; then
    for _ in $(seq 100); do [ -e "$temp/clutter/old.log" ] || break; sleep 0.2; done
    [ -e "$temp/clutter/old.log" ] && fail "the Agent did not clean the temporary folder" \
        || pass "the Agent starts and cleans the temporary folder"
else
    fail "the Agent did not start"
fi
# Its frame window is hidden: taskkill without /f sends it WM_CLOSE, as the
# Exit command of its menu ends it.
quiet taskkill /im Agent.exe
if driver wait-gone quenlow_ls5AgentFrame 30; then
    wait "$agent"
else
    fail "the Agent did not end on WM_CLOSE"
    kill "$agent" 2>/dev/null
fi

# The removal by hand: the server unregistered, the two entries deleted, the
# folder removed.
quiet regsvr32 /u /s "$windir\\LSCleaners.dll"
quiet reg delete "$run" /v 'Larkspire Agent' /f
quiet reg delete "$apppath" /f $view
rm -rf "$dir"
left=
quiet reg query "$clsid" && left="$left the server's class,"
quiet reg query "$catalogue\\Windows Temporary Files" $view && left="$left the catalogue,"
quiet reg query 'HKCR\LSWinTempFiles' && left="$left the ProgID,"
quiet reg query "$apppath" $view && left="$left App Paths,"
[ -n "$(value "$run" 'Larkspire Agent')" ] && left="$left the log-on entry,"
[ -z "$left" ] && pass "the removal by hand leaves no class, catalogue, App Paths or log-on entry" \
    || fail "after the removal by hand are left:$left"

echo "manual_install_test: $failures failed"
[ "$failures" = 0 ]
