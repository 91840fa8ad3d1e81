#!/bin/sh
# The setup program in a Wine prefix of the test's own (ROOT/prefix, made anew
# each run): silent installs and uninstalls compared against snapshots of the
# prefix's files and registry taken before, the Agent started and cleaning,
# upgrades over a running Agent and with the settings open, an Agent that
# does not end, a folder of another program, a component server that cannot
# be registered or registers nothing, no administrator's rights, two setups at
# once, a move into a folder with spaces and the old copy's uninstaller, the
# uninstaller run twice and with files in use, and the interactive setup
# driven through its questions and the introduction wizard, its programs
# started with the limited token of a stand-in for the user's shell.
#
#   setup_test.sh ARCH PACKAGE DRIVER NSI BINDIR ROOT HOLLOW PLANTED WINE
# HOLLOW: a DLL whose DllRegisterServer writes nothing and succeeds; PLANTED:
# a program that leaves "planted.ran" beside itself when it runs; WINE: the
# program that starts a Wine process of ARCH.
set -u
arch=$1 package=$2 driver=$3 nsi=$4 bindir=$5 root=$6 hollow=$7 planted=$8 wine=$9
here=$(cd "$(dirname "$0")" && pwd)
case $arch in
i686) nsisarch=x86 ;;
*) nsisarch=amd64 ;;
esac
rm -rf "$root"
mkdir -p "$root/home"
export WINEPREFIX="$root/prefix" HOME="$root/home"
export XDG_DATA_HOME="$HOME/.local/share" XDG_CONFIG_HOME="$HOME/.config" XDG_CACHE_HOME="$HOME/.cache"
export WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d'
[ "$arch" = x86_64 ] && export WINELOADER="$wine"
mkdir -p "$XDG_DATA_HOME"

failures=0
fail() { echo "setup_test: FAILED: $*"; failures=$((failures + 1)); }
pass() { echo "setup_test: ok: $*"; }
# Windows paths of the test's own files (drive Z: is the Unix root).
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }
w() { "$wine" "$@" </dev/null 2>/dev/null; }
quiet() { "$wine" "$@" </dev/null >/dev/null 2>&1; }
finish() {
    [ -n "${stubborn_pid:-}" ] && kill "$stubborn_pid" 2>/dev/null
    [ -n "${setup_pid:-}" ] && kill "$setup_pid" 2>/dev/null
    /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
}
trap finish EXIT

# A prefix of the test's own; its server's helpers get no pipe of ctest's.
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
programs=$drive/Program\ Files
[ "$arch" = i686 ] || [ -d "$programs" ] || { echo "setup_test: no Program Files"; exit 1; }
dir="$programs/Larkspire"
windir='C:\Program Files\Larkspire'
userkey='HKCU\Software\Quenlow\Larkspire'

snapshot() { # NAME: ROOT/NAME.snap
    quiet regedit /E "$(winpath "$root/$1.reg")"
    python3 "$here/snapshot.py" "$root/$1.reg" "$drive" "$root/$1.snap"
}
# The snapshot without the user's own settings (kept by an uninstall).
without_user() { python3 - "$1" <<'EOF'
import sys
out, skip = [], False
for line in open(sys.argv[1]):
    if line.startswith('['):
        key = line.lower()
        skip = (key.startswith('[hkey_current_user\\software\\quenlow') or
                key.startswith('[hkey_current_user\\appevents\\schemes\\apps\\larkspire') or
                key.startswith('[hkey_current_user\\appevents\\eventlabels\\clean folder]') or
                key == '[hkey_current_user\\appevents\\eventlabels]\n')
    if not skip:
        out.append(line)
sys.stdout.write(''.join(out))
EOF
}
same_as_before() { # NAME WHAT
    without_user "$root/before.snap" >"$root/before.cmp"
    without_user "$root/$1.snap" >"$root/$1.cmp"
    if diff "$root/before.cmp" "$root/$1.cmp" >"$root/$1.diff"; then
        pass "$2"
    else
        fail "$2; differences from before:"; head -40 "$root/$1.diff"
    fi
}
install() { # ARGS: the package's exit code. Started with its command line
    # exactly as given: a quoted "/D=" is no folder choice for it.
    driver exec "$(winpath "$package") $*" >/dev/null; echo $?
}
driver() { w "$driver" "$@"; }
uninstall() { # FOLDER (Windows): runs a copy of the uninstaller in place and waits
    cp "$(printf '%s' "$1" | sed 's|^C:|'"$drive"'|; s|\\|/|g')/Uninstall.exe" "$root/un.exe" 2>/dev/null
    driver exec "$(winpath "$root/un.exe") /S _?=$1" >/dev/null; echo $?
}
value() { # KEY VALUE: the value's data as reg query shows it, or nothing
    w reg query "$1" /v "$2" | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}
default() { # KEY [VIEW]: the key's default value
    w reg query "$1" /ve ${2:-} | tr -d '\r' | sed -n 's/^ *(Default) *REG_SZ *//p'
}

# A package made here for the tests only, whose decisions that Wine cannot
# bring about are forced through LARKSPIRE_TEST_* variables.
seams="$root/seams-setup.exe"
makensis -V1 -DTEST_SEAMS -DARCH=$nsisarch -DBINDIR="$bindir" -DOUTFILE="$seams" "$nsi" >/dev/null \
    || fail "makensis could not make the package with seams"
seam() { # VARIABLE=VALUE... ARGS: the package with seams, its exit code
    while [ $# -gt 1 ]; do case $1 in *=*) export "$1"; shift ;; *) break ;; esac; done
    driver exec "$(winpath "$seams") $*" >/dev/null; echo $?
    unset LARKSPIRE_TEST_RIGHTS LARKSPIRE_TEST_HELD LARKSPIRE_TEST_ROUTE
}
[ "$arch" = x86_64 ] && view=/reg:64 || view=
clsid='HKCR\CLSID\{EEFDDFC3-E68F-11D1-B5FF-0080C866E8E5}\InprocServer32'
unkey='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Larkspire'
uq() { w reg query "$unkey" /v "$1" $view | tr -d '\r' | sed -n "s/^ *$1 *REG_[A-Z_]* *//p"; }
run='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
# Whether the installation in FOLDER (Windows) is whole: its classes name its
# server, the uninstall entry names it, its uninstaller is there.
whole() {
    [ "$(default "$clsid" $view)" = "$1\\LSCleaners.dll" ] && [ "$(uq InstallLocation)" = "$1" ] &&
        [ -f "$(printf '%s' "$1" | sed 's|^C:|'"$drive"'|; s|\\|/|g')/Uninstall.exe" ]
}

# The user's settings of an earlier installation, which nothing may lose, and
# another program's folder with files of the setup's names.
quiet reg add "$userkey" /v Sentinel /t REG_DWORD /d 0xdeadbeef /f
other="$drive/Other Program"
mkdir -p "$other"
for f in Uninstall.exe Agent.exe LSCleaners.dll; do echo "another program's $f" >"$other/$f"; done
cp -r "$other" "$root/other-copy"
snapshot before

# What is refused changes nothing: a component server that cannot be
# registered (no image at all), one that registers nothing and says it did,
# an account without the rights, a folder of another program.
mkdir -p "$root/broken"
cp "$bindir"/* "$root/broken/"
echo "not an image" >"$root/broken/LSCleaners.dll"
if makensis -V1 -DARCH=$nsisarch -DBINDIR="$root/broken" -DOUTFILE="$root/broken-setup.exe" "$nsi" >/dev/null; then
    rc=$(driver exec "$(winpath "$root/broken-setup.exe") /S" >/dev/null; echo $?)
    [ "$rc" = 4 ] && pass "a component server that cannot be registered gives exit code 4" \
        || fail "a component server that cannot be registered gave exit code $rc"
else
    fail "makensis could not make the package with a broken component server"
fi
cp "$hollow" "$root/broken/LSCleaners.dll"
if makensis -V1 -DARCH=$nsisarch -DBINDIR="$root/broken" -DOUTFILE="$root/hollow-setup.exe" "$nsi" >/dev/null; then
    rc=$(driver exec "$(winpath "$root/hollow-setup.exe") /S" >/dev/null; echo $?)
    [ "$rc" = 4 ] && pass "a registration that writes nothing and succeeds gives exit code 4" \
        || fail "a registration that writes nothing gave exit code $rc"
else
    fail "makensis could not make the package with a hollow component server"
fi
rc=$(seam LARKSPIRE_TEST_RIGHTS=denied /S)
[ "$rc" = 8 ] && pass "no administrator's rights give exit code 8" || fail "without rights the setup gave exit code $rc"
rc=$(install "/S /D=C:\\Other Program")
[ "$rc" = 3 ] && pass "a folder holding another program's files gives exit code 3" \
    || fail "the install into another program's folder gave exit code $rc"
diff -r "$root/other-copy" "$other" >/dev/null && pass "another program's files of the same names are unchanged" \
    || fail "the setup changed another program's files"
snapshot broken
same_as_before broken "what is refused leaves nothing installed or registered, and the user's settings"

# The silent install.
started=$(date +%s%N)
rc=$(install /S)
took=$((($(date +%s%N) - started) / 1000000))
[ "$rc" = 0 ] && pass "the silent install succeeds (${took} ms under Wine)" || fail "the silent install gave exit code $rc"
echo "setup_test: silent install took $took ms; package $(stat -c %s "$package") bytes"
snapshot installed
diff "$root/before.snap" "$root/installed.snap" | sed -n 's/^> //p' >"$root/added"
diff "$root/before.snap" "$root/installed.snap" | sed -n 's/^< //p' >"$root/removed"
grep '^file ' "$root/added" >"$root/added.files"
if [ "$arch" = x86_64 ]; then common=ProgramData/Microsoft/Windows/Start\ Menu/Programs; fi
cat >"$root/expected.files" <<EOF
file Program Files/Larkspire
file Program Files/Larkspire/Agent.exe
file Program Files/Larkspire/LS5Panel.exe
file Program Files/Larkspire/LSAutorun.inf
file Program Files/Larkspire/LSCleaners.dll
file Program Files/Larkspire/LSInstall.exe
file Program Files/Larkspire/LSWebCaches.dll
file Program Files/Larkspire/LSWelcome.exe
file Program Files/Larkspire/Uninstall.exe
file ${common:-}/Larkspire
file ${common:-}/Larkspire/Larkspire Settings.lnk
file ${common:-}/Larkspire/Uninstall Larkspire.lnk
EOF
if [ "$arch" != x86_64 ]; then
    # The all-users Programs folder of a 32-bit prefix: wherever Wine keeps it.
    common=$(sed -n 's|^file \(.*\)/Larkspire$|\1|p' "$root/added.files" | grep -v 'Program Files' | head -1)
    sed -i "s|^file /Larkspire|file $common/Larkspire|" "$root/expected.files"
fi
sort -o "$root/expected.files" "$root/expected.files"
if diff "$root/expected.files" "$root/added.files" >"$root/files.diff"; then
    pass "the install adds exactly the eight files and the Start-menu group with its two shortcuts"
else
    fail "the install's files differ from the expected ones:"; cat "$root/files.diff"
fi
[ -s "$root/removed" ] && { fail "the install removed or changed:"; head -20 "$root/removed"; }
# Every key added, with the HKCR classes under HKLM\Software\Classes.
# (App Paths is one key shared by both views.)
grep '^\[' "$root/added" | sed 's/\\Wow6432Node//' | sort -u >"$root/added.keys"
{
    for c in '{7AC4C283-E7A4-11D1-B601-0080C866E8E5}' '{8A3403B3-E7AD-11D1-B601-0080C866E8E5}' \
             '{DEA42F23-E78A-11D1-B601-0080C866E8E5}' '{EEFDDFC3-E68F-11D1-B5FF-0080C866E8E5}' \
             '{8F1EA404-30F8-40B4-AC01-65E4E3E8BD80}'; do
        for s in '' '\InprocServer32' '\NotInsertable' '\ProgID' '\VersionIndependentProgID'; do
            echo "[HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID\\$c$s]"
        done
    done
    for p in LSAltPaths LSIExplorer LSNetscape LSWinTempFiles LSWebCaches; do
        for s in "$p" "$p\\CLSID" "$p\\CurVer" "${p}1.0" "${p}1.0\\CLSID"; do
            echo "[HKEY_LOCAL_MACHINE\\Software\\Classes\\$s]"
        done
    done
    echo '[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\App Paths\LS5Panel.exe]'
    echo '[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\Larkspire]'
    for k in '' '\Larkspire' '\Larkspire\Components' '\Larkspire\Components\Internet Explorer Browser' \
             '\Larkspire\Components\Netscape Browser' '\Larkspire\Components\Other Folders' \
             '\Larkspire\Components\Windows Temporary Files' '\Larkspire\Components\Web Browser Caches'; do
        echo "[HKEY_LOCAL_MACHINE\\Software\\Quenlow$k]"
    done
    # The Agent's sound event, for the Sounds control panel. (A new prefix
    # has no EventLabels key yet.)
    for k in 'EventLabels' 'EventLabels\Clean Folder' 'Schemes\Apps\Larkspire' 'Schemes\Apps\Larkspire\Clean Folder' \
             'Schemes\Apps\Larkspire\Clean Folder\.current' 'Schemes\Apps\Larkspire\Clean Folder\.Default'; do
        echo "[HKEY_CURRENT_USER\\AppEvents\\$k]"
    done
} | sort >"$root/expected.keys"
if diff "$root/expected.keys" "$root/added.keys" >"$root/keys.diff"; then
    pass "the install adds exactly the classes, the catalogue, App Paths, the uninstall entry and the sound event"
else
    fail "the install's registry keys differ from the expected ones:"; cat "$root/keys.diff"
fi
grep -q '^@="C:\\\\Program Files\\\\Larkspire\\\\LSCleaners.dll"$' "$root/added" \
    && pass "the classes name the installed LSCleaners.dll" || fail "the classes do not name the installed server"
grep -q '^@="C:\\\\Program Files\\\\Larkspire\\\\LSWebCaches.dll"$' "$root/added" \
    && pass "the web browser caches class names the installed LSWebCaches.dll" \
    || fail "the web browser caches class does not name the installed server"
[ "$(default 'HKCU\AppEvents\Schemes\Apps\Larkspire')" = Larkspire ] &&
[ "$(default 'HKCU\AppEvents\EventLabels\Clean Folder')" = "Clean Folder" ] \
    && pass "the Sounds control panel finds the application's name and the event's label" \
    || fail "the sound event's name or label is missing"
[ "$(uq DisplayName)" = "Larkspire 5.0" ] && [ "$(uq Publisher)" = Quenlow ] && \
[ "$(uq DisplayVersion)" = 5.0 ] && [ "$(uq UninstallString)" = "\"$windir\\Uninstall.exe\"" ] && \
[ "$(uq DisplayIcon)" = "$windir\\Agent.exe,0" ] && [ -n "$(uq EstimatedSize)" ] && [ "$(uq EstimatedSize)" != 0x0 ] \
    && pass "Add/Remove Programs shows name, version, publisher, icon, uninstall command and size" \
    || fail "the uninstall entry is incomplete: $(w reg query "$unkey" $view | tr -d '\r')"

# The Agent starts from the installation and cleans; the applet starts and
# keeps its App Paths entry, and stays open.
quiet reg add "$userkey\\Components\\Windows Temporary Files" /v Enabled /t REG_DWORD /d 1 /f
quiet reg add "$userkey" /v Recycle /t REG_DWORD /d 0 /f
mkdir -p "$temp/clutter"
echo old >"$temp/clutter/old.log"
start_agent() { "$wine" "${1:-$windir}\\Agent.exe" </dev/null >/dev/null 2>&1 & }
start_applet() { "$wine" "${1:-$windir}\\LS5Panel.exe" </dev/null >/dev/null 2>&1 & }
start_agent
if driver wait-window quenlow_ls5AgentFrame 60; then
    for _ in $(seq 100); do [ -e "$temp/clutter/old.log" ] || break; sleep 0.2; done
    [ -e "$temp/clutter/old.log" ] && fail "the installed Agent did not clean the temporary folder" \
        || pass "the installed Agent starts and cleans the temporary folder"
else
    fail "the installed Agent's frame window did not appear"
fi
start_applet
if driver wait-dialog "Larkspire Settings" "" 60; then
    [ "$(default 'HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths\LS5Panel.exe' $view)" = "$windir\\LS5Panel.exe" ] \
        && pass "App Paths names the installed applet after its first start" \
        || fail "App Paths does not name the installed applet"
else
    fail "the installed applet's sheet did not appear"
fi

# An upgrade while the applet holds the files: nothing changes, exit code 6.
# With that check left out (the package with seams), replacing the files
# fails part way: the earlier installation is put back whole and the Agent
# that the setup ended runs again, started with the shell's token through
# the secondary logon service's call.
driver shell 600 || fail "the stand-in for the user's shell did not start"
echo stale >"$dir/LSAutorun.inf"
rc=$(install /S)
[ "$rc" = 6 ] && pass "an upgrade with the settings open gives exit code 6" \
    || fail "with the settings open the upgrade gave exit code $rc"
[ "$(cat "$dir/LSAutorun.inf")" = stale ] && whole "$windir" && driver wait-window quenlow_ls5AgentFrame 1 \
    && pass "an upgrade stopped by the open settings changes nothing and leaves the Agent running" \
    || fail "an upgrade stopped by the open settings changed the installation"
rc=$(seam LARKSPIRE_TEST_HELD=ignored LARKSPIRE_TEST_ROUTE=token /S)
[ "$rc" = 3 ] && pass "files that cannot be replaced give exit code 3" \
    || fail "with files held open the upgrade gave exit code $rc"
[ "$(cat "$dir/LSAutorun.inf")" = stale ] && whole "$windir" && cmp -s "$dir/LSCleaners.dll" "$bindir/LSCleaners.dll" \
    && pass "a failed upgrade puts the earlier installation back whole" \
    || fail "a failed upgrade left the earlier installation changed: $(cat "$dir/LSAutorun.inf"; ls "$dir")"
driver wait-window quenlow_ls5AgentFrame 30 && pass "a failed upgrade starts the Agent that it ended again" \
    || fail "the Agent does not run after a failed upgrade"
driver close "Larkspire Settings" 5 >/dev/null
driver shell-end
driver wait-gone quenlow_ls5controls 30

# An interactive upgrade over the running Agent with no shell to start the
# user's programs through: the Agent is ended and not started again with the
# administrator's rights, nothing else is started, the user is told.
quiet regedit /E "$(winpath "$root/user-before.reg")" 'HKEY_CURRENT_USER\Software\Quenlow\Larkspire'
"$wine" "$seams" </dev/null >/dev/null 2>&1 &
setup_pid=$!
driver answer "Larkspire 5.0 Setup" "Destination" 1 60 || fail "the setup's folder page did not appear"
driver answer "Larkspire 5.0 Setup" "cannot start programs under your own account" 1 60 \
    || fail "the setup did not say that it could not start the user's programs"
wait "$setup_pid"; rc=$?
setup_pid=
[ "$rc" = 0 ] && pass "an interactive upgrade over a running Agent succeeds" || fail "the upgrade gave exit code $rc"
driver wait-gone quenlow_ls5AgentFrame 1 && pass "the upgrade ended the running Agent and did not start it elevated" \
    || fail "an Agent runs after the upgrade without a shell"
cmp -s "$dir/LSAutorun.inf" "$bindir/LSAutorun.inf" && pass "the upgrade replaced the files" \
    || fail "the upgrade left an old file"
quiet regedit /E "$(winpath "$root/user-after.reg")" 'HKEY_CURRENT_USER\Software\Quenlow\Larkspire'
cmp -s "$root/user-before.reg" "$root/user-after.reg" && [ -z "$(value "$run" 'Larkspire Agent')" ] \
    && pass "the upgrade kept the user's settings and ran neither the wizard nor LSInstall" \
    || fail "the upgrade changed the user's settings"

# An Agent that does not end: nothing is changed, exit code 5; an account
# without the rights removes nothing, exit code 8.
"$wine" "$driver" stubborn 120 </dev/null >/dev/null 2>&1 &
stubborn_pid=$!
driver wait-window quenlow_ls5AgentFrame 30
echo stale >"$dir/LSAutorun.inf"
rc=$(install /S)
[ "$rc" = 5 ] && pass "an Agent that does not end stops the install with exit code 5" \
    || fail "with an Agent that does not end the install gave exit code $rc"
[ "$(cat "$dir/LSAutorun.inf")" = stale ] && pass "an install stopped by a running Agent changes no file" \
    || fail "an install stopped by a running Agent changed files"
rc=$(uninstall "$windir")
[ "$rc" = 5 ] && [ -f "$dir/LSCleaners.dll" ] && pass "an Agent that does not end stops the uninstall with exit code 5, nothing removed" \
    || fail "with an Agent that does not end the uninstall gave exit code $rc"
driver stubborn-end
wait "$stubborn_pid" 2>/dev/null
stubborn_pid=
export LARKSPIRE_TEST_RIGHTS=denied
rc=$(uninstall "$windir")
unset LARKSPIRE_TEST_RIGHTS
[ "$rc" = 8 ] && [ -f "$dir/LSCleaners.dll" ] && whole "$windir" \
    && pass "an uninstall without the rights gives exit code 8 and removes nothing" \
    || fail "without rights the uninstall gave exit code $rc"
cp "$bindir/LSAutorun.inf" "$dir/LSAutorun.inf"

# An upgrade into a folder with spaces in its names, over the running Agent,
# by a setup without an elevated token (as on Windows before Vista): the
# earlier copy goes, the log-on entry follows the Agent, which runs again
# from the new folder. The earlier copy's uninstaller, run afterwards, leaves
# the new installation be.
start_agent
driver wait-window quenlow_ls5AgentFrame 60
quiet reg add "$run" /v 'Larkspire Agent' /t REG_SZ /d "\"$windir\\Agent.exe\"" /f
cp "$dir/Uninstall.exe" "$root/old-un.exe"
spaced='C:\My Clean Up Tools'
rc=$(driver exec-limited "$(winpath "$package") /S /D=$spaced" >/dev/null; echo $?)
[ "$rc" = 0 ] && [ -f "$drive/My Clean Up Tools/Agent.exe" ] && [ -f "$drive/My Clean Up Tools/Uninstall.exe" ] \
    && pass "a silent upgrade into a folder with spaces succeeds" || fail "the upgrade into a folder with spaces gave exit code $rc"
[ ! -e "$dir" ] && pass "the upgrade into another folder removed the earlier copy" \
    || fail "the earlier copy is left: $(ls "$dir")"
[ "$(value "$run" 'Larkspire Agent')" = "\"$spaced\\Agent.exe\"" ] && pass "the log-on entry names the moved Agent" \
    || fail "the log-on entry was not moved: $(value "$run" 'Larkspire Agent')"
driver limited quenlow_ls5AgentFrame 30 >/dev/null && pass "the Agent runs again from the new folder, as the user" \
    || fail "the Agent does not run again after the move, or runs elevated"
driver exec "$(winpath "$root/old-un.exe") /S _?=$windir" >/dev/null; rc=$?
[ "$rc" = 0 ] && whole "$spaced" && [ "$(value "$run" 'Larkspire Agent')" = "\"$spaced\\Agent.exe\"" ] &&
[ "$(default 'HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths\LS5Panel.exe' $view)" = "$spaced\\LS5Panel.exe" ] &&
driver wait-window quenlow_ls5AgentFrame 1 \
    && pass "the earlier copy's uninstaller leaves the new installation registered and its Agent running" \
    || fail "the earlier copy's uninstaller (exit code $rc) unregistered the new installation"

# The silent uninstall ends the running Agent and leaves the prefix as before,
# the user's settings kept.
rc=$(uninstall "$spaced")
[ "$rc" = 0 ] && pass "the silent uninstall succeeds" || fail "the silent uninstall gave exit code $rc"
driver wait-gone quenlow_ls5AgentFrame 1 && pass "the uninstall ended the running Agent" \
    || fail "the Agent still runs after the uninstall"
rm -rf "$temp/clutter"
snapshot uninstalled
same_as_before uninstalled "the silent uninstall leaves the prefix as it was before the install"
[ "$(value "$userkey" Sentinel)" = 0xdeadbeef ] && [ "$(value "$userkey" Recycle)" = 0x0 ] \
    && pass "the silent uninstall keeps the user's settings" || fail "the silent uninstall lost the user's settings"
rc=$(uninstall "$spaced")
snapshot twice
[ "$rc" = 0 ] && pass "the uninstaller run a second time succeeds" || fail "the second uninstall gave exit code $rc"
same_as_before twice "the uninstaller run a second time changes nothing"

# The interactive setup: a second setup and an uninstaller refuse to run
# beside it; another program's folder is refused and the folder page stays;
# an open settings applet is asked to close; LSInstall, the wizard and the
# Agent run with the shell's limited token; a rundll32.exe planted beside
# LSInstall is not run.
quiet reg delete 'HKCU\Software\Quenlow' /f
start_applet "$(winpath "$bindir")"
driver wait-dialog "Larkspire Settings" "" 60 || fail "the applet of the build did not start"
driver shell 600 || fail "the stand-in for the user's shell did not start"
"$wine" "$package" </dev/null >/dev/null 2>&1 &
setup_pid=$!
driver type "Larkspire 5.0 Setup" 1019 'C:\Other Program' 60 || fail "the setup's folder page did not appear"
rc=$(install /S)
[ "$rc" = 7 ] && pass "a second setup gives exit code 7" || fail "a second setup gave exit code $rc"
driver exec "$(winpath "$root/old-un.exe") /S _?=$windir" >/dev/null; rc=$?
[ "$rc" = 7 ] && pass "an uninstaller beside a running setup gives exit code 7" \
    || fail "the uninstaller beside a running setup gave exit code $rc"
driver answer "Larkspire 5.0 Setup" "Destination" 1 60
driver answer "Larkspire 5.0 Setup" "holds files of another program" 1 60 \
    && pass "the folder page refuses another program's folder" || fail "another program's folder was not refused"
driver type "Larkspire 5.0 Setup" 1019 "$windir" 60
driver answer "Larkspire 5.0 Setup" "Destination" 1 60 || fail "the folder page did not stay"
driver wait-dialog "Larkspire 5.0 Setup" "is open and uses files" 60 \
    || fail "the setup did not ask to close the open settings"
driver close "Larkspire Settings" 5 >/dev/null
driver wait-gone quenlow_ls5controls 30
driver answer "Larkspire 5.0 Setup" "is open and uses files" 4 60 || fail "no Retry"
driver limited "Larkspire Installation" 60 >/dev/null && pass "LSInstall runs with the user's limited token" \
    || fail "LSInstall does not run with the user's limited token"
cp "$planted" "$dir/rundll32.exe"
driver answer "Larkspire Installation" "Startup group" 6 60 || fail "LSInstall's Startup question did not appear"
driver limited "Larkspire Setup" 60 >/dev/null && pass "the wizard runs with the user's limited token" \
    || fail "the wizard does not run with the user's limited token"
driver wizard "Larkspire Setup" 60 || fail "the introduction wizard did not appear or did not finish"
driver answer "Larkspire 5.0 Setup" "start the Larkspire Agent now" 6 60 || fail "the question to start the Agent did not appear"
wait "$setup_pid"; rc=$?
setup_pid=
[ "$rc" = 0 ] && pass "the interactive setup ends with exit code 0" || fail "the interactive setup gave exit code $rc"
[ "$(value "$run" 'Larkspire Agent')" = "\"$windir\\Agent.exe\"" ] \
    && pass "the Startup answer Yes left the Agent's log-on entry" \
    || fail "no log-on entry for the Agent: $(w reg query "$run" | tr -d '\r')"
[ ! -e "$dir/planted.ran" ] && pass "the rundll32.exe planted beside LSInstall did not run" \
    || fail "LSInstall ran the planted rundll32.exe"
[ "$(value "$userkey" Recycle)" = 0x1 ] && [ -n "$(value "$userkey\\Components\\Windows Temporary Files" Enabled)" ] \
    && pass "the wizard's Finish wrote the options and the components' Enabled" \
    || fail "the wizard wrote no settings"
driver limited quenlow_ls5AgentFrame 60 >/dev/null && pass "the setup started the Agent as the user when asked to" \
    || fail "the Agent was not started, or runs elevated"
driver shell-end

# The interactive uninstall with the settings open, asked to remove the
# user's settings too: the files in use go at the next restart and the user
# is told; the planted file, not the setup's, stays.
start_applet
driver wait-dialog "Larkspire Settings" "" 60 || fail "the applet did not start before the uninstall"
cp "$dir/Uninstall.exe" "$root/un.exe"
"$wine" "$driver" exec "$(winpath "$root/un.exe") _?=$windir" </dev/null >/dev/null 2>&1 &
setup_pid=$!
driver answer "Larkspire 5.0 Uninstall" "" 1 60 || fail "the uninstaller's confirmation page did not appear"
driver answer "Larkspire 5.0 Uninstall" "remove your Larkspire settings" 6 60 || fail "the settings question did not appear"
driver answer "Larkspire 5.0 Uninstall" "removed when Windows restarts" 1 60 \
    && pass "the uninstaller says that files in use are removed at the restart" \
    || fail "the uninstaller did not tell of the files in use"
wait "$setup_pid"; rc=$?
setup_pid=
[ "$rc" = 6 ] && pass "the uninstall with files in use ends with exit code 6" || fail "the interactive uninstall gave exit code $rc"
[ -z "$(value "$run" 'Larkspire Agent')" ] && pass "the uninstall removed the log-on entry" \
    || fail "the log-on entry is left"
quiet reg query 'HKCU\Software\Quenlow' || quiet reg query 'HKCU\AppEvents\Schemes\Apps\Larkspire' ||
quiet reg query 'HKCU\AppEvents\EventLabels\Clean Folder' \
    && fail "the user's settings or sound event are left although the user asked for their removal" \
    || pass "the user's settings and the sound event are removed when the user agrees"
[ -f "$dir/rundll32.exe" ] && [ ! -e "$dir/Agent.exe" ] \
    && pass "the uninstall removes the setup's files only" || fail "the uninstall removed the wrong files"
driver close "Larkspire Settings" 5 >/dev/null
driver wait-gone quenlow_ls5controls 30
rm -f "$dir/rundll32.exe"
quiet wineboot -r
[ ! -e "$dir" ] && pass "the files in use and the folder are gone after the restart" \
    || fail "after the restart is left: $(ls "$dir")"
snapshot interactive
# The wizard's Components page measures the browser components, which make
# the browsers' keys that they open when these are missing: the components'
# doing, not the setup's.
without_user "$root/before.snap" >"$root/before.cmp"
if without_user "$root/interactive.snap" |
        grep -v -E '^\[HKEY_LOCAL_MACHINE\\Software\\Netscape(\\Netscape Navigator(\\Users)?)?\]$' |
        grep -v -E '^\[HKEY_CURRENT_USER\\Software\\(Netscape(\\Netscape Navigator(\\[^]]*)?)?|Microsoft\\Internet Explorer\\TypedURLs)\]$' |
        diff "$root/before.cmp" - >"$root/interactive.diff"; then
    pass "the interactive install and uninstall leave the prefix as it was"
else
    fail "the interactive install and uninstall left differences:"; head -40 "$root/interactive.diff"
fi

echo "setup_test: $failures failed"
[ "$failures" = 0 ]
