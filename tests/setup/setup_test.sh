#!/bin/sh
# The setup program in a Wine prefix of the test's own (ROOT/prefix, made anew
# each run): silent installs and uninstalls compared against snapshots of the
# prefix's files and registry taken before, the Agent started and cleaning,
# upgrades over a running Agent, a busy one and with the settings open, an
# Agent that does not end, a folder of another program, folders given in
# every spelling (short forms, relative, roots, dots, characters no name
# holds) and folders outside Program Files (their permissions read back, one
# of another owner refused, one that existed kept by the uninstall), a
# component server that cannot be registered, registers nothing or is gone
# at the uninstall, no administrator's rights, two setups at once, a move
# into a folder with spaces with every user's log-on entry following it and
# the old copy's uninstaller, an uninstaller copied elsewhere, the uninstaller
# run twice, with the settings open and with files in use, and a setup before
# the restart that removes them; the interactive setup driven through its
# questions and the introduction wizard, its programs started with the
# limited token of a stand-in for the user's shell, and none started as
# another user.
#
#   setup_test.sh ARCH PACKAGE DRIVER NSI BINDIR ROOT HOLLOW PLANTED WINE STUCK
# HOLLOW: a DLL whose DllRegisterServer writes nothing and succeeds; PLANTED:
# a program that leaves "planted.ran" beside itself when it runs; WINE: the
# program that starts a Wine process of ARCH; STUCK: stuck_component.dll,
# whose Compact waits at a gate.
set -u
arch=$1 package=$2 driver=$3 nsi=$4 bindir=$5 root=$6 hollow=$7 planted=$8 wine=$9 stuck=${10}
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

. "$here/setup_lib.sh"
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

# A package made here for the tests only, whose decisions that Wine cannot
# bring about are forced through LARKSPIRE_TEST_* variables.
seams="$root/seams-setup.exe"
makensis -V1 -DTEST_SEAMS -DARCH=$nsisarch -DBINDIR="$bindir" -DOUTFILE="$seams" "$nsi" >/dev/null \
    || fail "makensis could not make the package with seams"
# The setup's judgement of folder spellings, with its own functions: each is
# used as given (in its long form) or refused with its reason.
probe="$root/folder-probe.exe"
if makensis -V1 -DARCH=$nsisarch -DSETUP="$(dirname "$nsi")" -DOUTFILE="$probe" "$here/FolderProbe.nsi" >/dev/null; then
    pshort=$(short 'C:\Program Files')
    notfull='it is not a full path that begins with a drive, such as C:\Program Files\Larkspire'
    badchar='it holds a character that no name of a file or folder may hold'
    dots='names the folder before it or that folder'"'"'s parent'
    ends='ends in a dot or a space, which Windows leaves out'
    long=$(printf '%0250d' 0)
    cat >"$root/spellings" <<EOF
C:\\Program Files\\Larkspire|C:\\Program Files\\Larkspire|
c:\\program files\\Larkspire\\|C:\\Program Files\\Larkspire|
$pshort\\Larkspire|C:\\Program Files\\Larkspire|
C:\\My Clean Tools|C:\\My Clean Tools|
C:\\com0\\LS|C:\\com0\\LS|
C:\\|C:|it is the root of a drive
Z:\\|Z:|it is the root of a drive
Tools\\LS|Tools\\LS|$notfull
\\Tools\\LS|\\Tools\\LS|$notfull
C:Tools|C:Tools|$notfull
\\\\server\\share\\LS|\\\\server\\share\\LS|$notfull
C:/Tools/LS|C:/Tools/LS|$notfull
C:\\Tools/LS|C:\\Tools/LS|$badchar (/)
C:\\A<b|C:\\A<b|$badchar (<)
C:\\A?b|C:\\A?b|$badchar (?)
C:\\Tools\\.\\LS|C:\\Tools\\.\\LS|its part "." $dots
C:\\Tools\\x\\..\\LS|C:\\Tools\\x\\..\\LS|its part ".." $dots
C:\\Tools\\LS.|C:\\Tools\\LS.|its part "LS." $ends
C:\\Tools \\LS|C:\\Tools \\LS|its part "Tools " $ends
C:\\Tools\\\\LS|C:\\Tools\\\\LS|it has an empty part (two backslashes in a row)
C:\\Tools\\Nul.txt|C:\\Tools\\Nul.txt|its part "Nul.txt" is the name of a device
C:\\com7\\LS|C:\\com7\\LS|its part "com7" is the name of a device
C:\\windows\\win.ini|C:\\windows\\win.ini|it is a file
Q:\\Larkspire|Q:\\Larkspire|its drive does not exist
C:\\$long|C:\\$long|it is longer than 244 characters
EOF
    cut -d'|' -f1 "$root/spellings" >"$root/spellings.in"
    FOLDER_PROBE_INPUT=$(winpath "$root/spellings.in") FOLDER_PROBE_OUTPUT=$(winpath "$root/spellings.out") \
        w "$probe" >/dev/null
    if tr -d '\r' <"$root/spellings.out" | diff "$root/spellings" - >"$root/spellings.diff"; then
        pass "every spelling of a folder is used as given in its long form or refused with its reason"
    else
        fail "the setup judges folder spellings otherwise (expected, got):"; cat "$root/spellings.diff"
    fi
else
    fail "makensis could not make the folder probe"
fi

[ "$arch" = x86_64 ] && view=/reg:64 || view=
# The user's settings of an earlier installation, which nothing may lose, and
# another program's folder with files of the setup's names.
quiet reg add "$userkey" /v Sentinel /t REG_DWORD /d 0xdeadbeef /f
other="$drive/Other Program"
mkdir -p "$other"
for f in Uninstall.exe Agent.exe LSCleaners.dll; do echo "another program's $f" >"$other/$f"; done
cp -r "$other" "$root/other-copy"
# Empty folders that exist before any setup: one outside Program Files (of
# the user, as Wine shows every folder), one inside, one that an uninstaller
# is copied into.
mkdir -p "$drive/Shared Tools" "$programs/Empty Tools" "$drive/Empty Place"
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
# (With the seams: a failure after the folder was protected, below.)
if makensis -V1 -DTEST_SEAMS -DARCH=$nsisarch -DBINDIR="$root/broken" -DOUTFILE="$root/hollow-setup.exe" "$nsi" >/dev/null; then
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
file ${common:-}/Larkspire/Larkspire Agent.lnk
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
    pass "the install adds exactly the eight files and the Start-menu group with its three shortcuts"
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

# An uninstall while the applet is open, which would write the settings back
# (and holds the files): nothing is removed, exit code 1.
rc=$(uninstall "$windir")
[ "$rc" = 1 ] && whole "$windir" && driver wait-window quenlow_ls5AgentFrame 1 && [ -f "$dir/LS5Panel.exe" ] \
    && pass "an uninstall with the settings open gives exit code 1 and removes nothing" \
    || fail "with the settings open the uninstall gave exit code $rc"

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
# An Agent that hangs (it answers nothing, and is in no run) is told from a
# busy one: the setup gives up at once and asks it nothing, so that no close
# reaches it after the setup said that nothing was changed.
"$wine" "$driver" hung 5 </dev/null >/dev/null 2>&1 &
hung_pid=$!
driver wait-window quenlow_ls5AgentFrame 30
started=$(date +%s)
rc=$(install /S)
waited=$(($(date +%s) - started))
wait "$hung_pid"; hung_rc=$?
hung_pid=
[ "$rc" = 5 ] && [ "$waited" -lt 5 ] && [ "$hung_rc" = 0 ] \
    && pass "a hung Agent stops the setup at once with exit code 5 and gets no close afterwards" \
    || fail "over a hung Agent the setup gave exit code $rc after $waited s (the Agent got a close: $hung_rc)"
export LARKSPIRE_TEST_RIGHTS=denied
rc=$(uninstall "$windir")
unset LARKSPIRE_TEST_RIGHTS
[ "$rc" = 8 ] && [ -f "$dir/LSCleaners.dll" ] && whole "$windir" \
    && pass "an uninstall without the rights gives exit code 8 and removes nothing" \
    || fail "without rights the uninstall gave exit code $rc"
cp "$bindir/LSAutorun.inf" "$dir/LSAutorun.inf"

# Folders compared by their long form: a setup given the installation's short
# form upgrades it in place. A /D= that cannot be used as given, or a folder
# outside Program Files that belongs to the user, is refused: exit code 3,
# nothing changed, not even a parent folder made.
snapshot spelled-before
windir_short=$(short "$windir")
rc=$(install "/S /D=$windir_short")
[ "$rc" = 0 ] && whole "$windir" && [ "$(uq InstallLocation)" = "$windir" ] \
    && pass "a /D= of the installation's short form ($windir_short) upgrades it in place" \
    || fail "a /D= of the short form gave exit code $rc, the installation now in $(uq InstallLocation)"
refused=0
for spelling in 'C:\' 'Tools\LS' 'C:/Tools/LS' 'C:\A<b' 'C:\Tools\x\..\LS' 'C:\Shared Tools'; do
    rc=$(install "/S /D=$spelling")
    [ "$rc" = 3 ] || { fail "/D=$spelling gave exit code $rc"; refused=1; }
done
[ "$refused" = 0 ] && pass "a /D= that cannot be used as given, and a folder of the user's outside Program Files, give exit code 3"
[ ! -e "$drive/Tools" ] && [ ! -e "$drive/Ab" ] && [ -z "$(ls -A "$drive/Shared Tools")" ] \
    && pass "the refused folders were not made, the user's folder is left empty" \
    || fail "a refused /D= made folders: $(ls -d "$drive/Tools" "$drive/Ab" 2>/dev/null; ls "$drive/Shared Tools")"
snapshot spelled-after
diff "$root/spelled-before.snap" "$root/spelled-after.snap" >"$root/spelled.diff" \
    && pass "the upgrade of the short form and the refused folders changed nothing else" \
    || { fail "the short /D= or a refused one changed:"; head -20 "$root/spelled.diff"; }
# Windows 95 and 98 keep the restart's work in wininit.ini, with short
# names; the NT line does not read it.
printf '[boot]\r\nshell=Explorer.exe\r\n[Rename]\r\nNUL=%s\r\n' "$(short "$windir\\LSCleaners.dll")" >"$drive/windows/wininit.ini"
rc=$(seam LARKSPIRE_TEST_PLATFORM=9x /S)
[ "$rc" = 6 ] && whole "$windir" \
    && pass "on Windows 95 and 98 a removal waiting in wininit.ini stops the setup, exit code 6" \
    || fail "with a removal waiting in wininit.ini the setup gave exit code $rc"
rm -f "$drive/windows/wininit.ini"

# A busy Agent: in a run, it answers no message until the run is over. The
# setup waits for the run (here longer than the ten seconds in which a hung
# Agent would have been given up) and then ends it, and starts it again as
# the user: the shell is there but its token cannot be used, and the setup
# (not elevated, as before Windows Vista) runs as the shell's own user. A
# setup running as another user than the shell's starts nothing.
stuck_clsid='{A00000FF-1234-5678-9ABC-000000000001}'
stuck_user="$userkey\\Components\\Stuck"
stuck_entry='HKLM\Software\Quenlow\Larkspire\Components\Stuck'
quiet reg add "HKCR\\CLSID\\$stuck_clsid\\InprocServer32" /ve /d "$(winpath "$stuck")" /f $view
quiet reg add "HKCR\\CLSID\\$stuck_clsid\\InprocServer32" /v ThreadingModel /d Apartment /f $view
quiet reg add "$stuck_entry" /v CLSID /d "$stuck_clsid" /f $view
quiet reg add "$stuck_user" /v Enabled /t REG_DWORD /d 1 /f
"$wine" "$driver" gate LarkspireTestCompactGate 60 </dev/null >/dev/null 2>&1 &
gate_pid=$!
driver wait-window setup_driver_gate 30
start_agent
driver wait-dialog "Compacting..." "" 60 || fail "the Agent's start-up run did not begin"
driver shell 600 || fail "the stand-in for the user's shell did not start"
seam_limited LARKSPIRE_TEST_ROUTE=none /S >"$root/busy.rc" &
busy_pid=$!
# Past the ten seconds after which a setup used to give up.
sleep 11
kill -0 "$busy_pid" 2>/dev/null && pass "a setup over a busy Agent waits for its run" \
    || fail "the setup over a busy Agent gave up during its run, exit code $(cat "$root/busy.rc")"
driver gate-open
wait "$busy_pid"
wait "$gate_pid"
gate_pid=
rc=$(cat "$root/busy.rc")
[ "$rc" = 0 ] && pass "once the run is over the setup ends the Agent and succeeds" \
    || fail "after the busy Agent's run the setup gave exit code $rc"
driver limited quenlow_ls5AgentFrame 30 >/dev/null \
    && pass "the Agent runs again, started by the setup as the shell's own user" \
    || fail "the Agent was not started again as the user"
rc=$(seam_limited LARKSPIRE_TEST_ROUTE=none LARKSPIRE_TEST_SHELL_USER=other /S)
[ "$rc" = 0 ] && driver wait-gone quenlow_ls5AgentFrame 5 \
    && pass "a setup running as another user than the shell's starts no program on that desktop" \
    || fail "a setup of another user (exit code $rc) started the Agent on the shell's desktop"
driver shell-end
quiet reg delete "HKCR\\CLSID\\$stuck_clsid" /f $view
quiet reg delete "$stuck_entry" /f $view
quiet reg delete "$stuck_user" /f

# An upgrade into a folder with spaces in its names, over the running Agent,
# by a setup without an elevated token (as on Windows before Vista): the
# earlier copy goes, every user's log-on entry follows the Agent (this
# user's, another user's who is logged on, whose entry spells the folder
# short, and one whose profile is not loaded), which runs again from the new
# folder. The new folder, outside Program Files, has a DACL of its own. The
# earlier copy's uninstaller, run afterwards, leaves the new installation be.
start_agent
driver wait-window quenlow_ls5AgentFrame 60
quiet reg add "$run" /v 'Larkspire Agent' /t REG_SZ /d "\"$windir\\Agent.exe\"" /f
other_user='HKU\S-1-5-21-1000-2000-3000-1001'
other_run="$other_user\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"
quiet reg add "$other_run" /v 'Larkspire Agent' /t REG_SZ /d "\"$(short "$windir")\\Agent.exe\"" /f
profiles='HKLM\Software\Microsoft\Windows NT\CurrentVersion\ProfileList'
absent_user='S-1-5-21-1000-2000-3000-1002'
mkdir -p "$drive/Other Profile"
printf 'WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\User\\\\%s\n\n[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Run] 1700000000\n"Larkspire Agent"="\\"C:\\\\Program Files\\\\Larkspire\\\\Agent.exe\\""\n' \
    "$absent_user" >"$drive/Other Profile/NTUSER.DAT"
quiet reg add "$profiles\\$absent_user" /v ProfileImagePath /t REG_EXPAND_SZ /d 'C:\Other Profile' /f
cp "$dir/Uninstall.exe" "$root/old-un.exe"
spaced='C:\My Clean Up Tools'
rc=$(driver exec-limited "$(winpath "$package") /S /D=$spaced" >/dev/null; echo $?)
[ "$rc" = 0 ] && [ -f "$drive/My Clean Up Tools/Agent.exe" ] && [ -f "$drive/My Clean Up Tools/Uninstall.exe" ] \
    && pass "a silent upgrade into a folder with spaces succeeds" || fail "the upgrade into a folder with spaces gave exit code $rc"
[ ! -e "$dir" ] && pass "the upgrade into another folder removed the earlier copy" \
    || fail "the earlier copy is left: $(ls "$dir")"
[ "$(value "$run" 'Larkspire Agent')" = "\"$spaced\\Agent.exe\"" ] && pass "the log-on entry names the moved Agent" \
    || fail "the log-on entry was not moved: $(value "$run" 'Larkspire Agent')"
[ "$(value "$other_run" 'Larkspire Agent')" = "\"$spaced\\Agent.exe\"" ] \
    && pass "another user's log-on entry, with the folder's short name, names the moved Agent" \
    || fail "another user's log-on entry was not moved: $(value "$other_run" 'Larkspire Agent')"
# (Wine writes no change of a loaded hive back to its file: that the hive
# was loaded and let go again is what shows here.)
quiet reg query 'HKU\Larkspire Profile' && fail "the hive of a user who is not logged on is left loaded" \
    || pass "the hive of a user who is not logged on was let go again"
driver limited quenlow_ls5AgentFrame 30 >/dev/null && pass "the Agent runs again from the new folder, as the user" \
    || fail "the Agent does not run again after the move, or runs elevated"
folder_sd=$(security "$spaced")
file_sd=$(security "$spaced\\LSCleaners.dll")
echo "setup_test: the DACL of $spaced as Wine keeps it: $folder_sd; of its LSCleaners.dll: $file_sd"
# Wine keeps of a DACL what Unix permissions hold: Everyone stands for the
# others' permission bits, which the installation's DACL leaves out.
case "$folder_sd$file_sd" in
*";WD)"*) fail "the folder outside Program Files or its server may be used by everyone: $folder_sd $file_sd" ;;
*) pass "the folder outside Program Files and its server get the installation's own DACL" ;;
esac
driver exec "$(winpath "$root/old-un.exe") /S _?=$windir" >/dev/null; rc=$?
[ "$rc" = 0 ] && whole "$spaced" && [ "$(value "$run" 'Larkspire Agent')" = "\"$spaced\\Agent.exe\"" ] &&
[ "$(default 'HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths\LS5Panel.exe' $view)" = "$spaced\\LS5Panel.exe" ] &&
driver wait-window quenlow_ls5AgentFrame 1 \
    && pass "the earlier copy's uninstaller leaves the new installation registered and its Agent running" \
    || fail "the earlier copy's uninstaller (exit code $rc) unregistered the new installation"

# The silent uninstall, given the folder's short form, ends the running Agent,
# removes every user's log-on entry and leaves the prefix as before, the
# user's settings kept.
spaced_short=$(short "$spaced")
rc=$(uninstall "$spaced" "$spaced_short")
[ "$rc" = 0 ] && pass "the silent uninstall given the short form ($spaced_short) succeeds" \
    || fail "the silent uninstall gave exit code $rc"
driver wait-gone quenlow_ls5AgentFrame 1 && pass "the uninstall ended the running Agent" \
    || fail "the Agent still runs after the uninstall"
[ -z "$(value "$other_run" 'Larkspire Agent')" ] && pass "the uninstall removed another user's log-on entry" \
    || fail "another user's log-on entry is left: $(value "$other_run" 'Larkspire Agent')"
quiet reg delete "$other_user" /f
quiet reg delete "$profiles\\$absent_user" /f
rm -rf "$drive/Other Profile"
rm -rf "$temp/clutter"
snapshot uninstalled
same_as_before uninstalled "the silent uninstall leaves the prefix as it was before the install"
[ "$(value "$userkey" Sentinel)" = 0xdeadbeef ] && [ "$(value "$userkey" Recycle)" = 0x0 ] \
    && pass "the silent uninstall keeps the user's settings" || fail "the silent uninstall lost the user's settings"
rc=$(uninstall "$spaced")
snapshot twice
[ "$rc" = 0 ] && pass "the uninstaller run a second time succeeds" || fail "the second uninstall gave exit code $rc"
same_as_before twice "the uninstaller run a second time changes nothing"

# Folders that existed before the setup stay after the uninstall: an empty
# one in Program Files, whose server is gone by the time of the uninstall
# (the classes go all the same), one outside Program Files that belongs to
# the Administrators (it gets the installation's DACL), one on a volume that
# keeps no permissions, and the folder that an uninstaller was copied into.
rc=$(install "/S /D=C:\\Program Files\\Empty Tools")
[ "$rc" = 0 ] && whole 'C:\Program Files\Empty Tools' && pass "an install into an empty folder in Program Files succeeds" \
    || fail "the install into an empty folder gave exit code $rc"
rm -f "$programs/Empty Tools/LSCleaners.dll"
# Nor is there an uninstall entry: the classes tell the installation.
quiet reg delete "$unkey" /f $view
rc=$(uninstall 'C:\Program Files\Empty Tools')
[ "$rc" = 0 ] && [ -d "$programs/Empty Tools" ] && [ -z "$(ls -A "$programs/Empty Tools")" ] \
    && pass "the uninstall leaves the folder that existed before, empty" \
    || fail "the uninstall (exit code $rc) removed the folder it did not make, or left files: $(ls "$programs/Empty Tools")"
snapshot existing
same_as_before existing "an uninstall with the server and the uninstall entry gone removes the classes, catalogue and entries all the same"
# A setup that fails after it protected the folder puts its permissions back.
shared_before=$(security 'C:\Shared Tools')
export LARKSPIRE_TEST_OWNER=administrators
rc=$(driver exec "$(winpath "$root/hollow-setup.exe") /S /D=C:\Shared Tools" >/dev/null; echo $?)
unset LARKSPIRE_TEST_OWNER
[ "$rc" = 4 ] && [ "$(security 'C:\Shared Tools')" = "$shared_before" ] && [ -z "$(ls -A "$drive/Shared Tools")" ] \
    && pass "a setup that fails in an existing folder outside Program Files leaves it empty with its own permissions" \
    || fail "the failed setup (exit code $rc) left the folder with $(security 'C:\Shared Tools') instead of $shared_before: $(ls "$drive/Shared Tools")"
for road in LARKSPIRE_TEST_ACLS=none LARKSPIRE_TEST_OWNER=administrators; do
    rc=$(seam $road "/S /D=C:\\Shared Tools")
    shared_sd=$(security 'C:\Shared Tools')
    rc_un=$(uninstall 'C:\Shared Tools')
    case $road in
    *OWNER*) case "$shared_sd" in *";WD)"*) given=0 ;; *) given=1 ;; esac ;;
    *) case "$shared_sd" in *";WD)"*) given=1 ;; *) given=0 ;; esac ;;
    esac
    [ "$rc" = 0 ] && [ "$rc_un" = 0 ] && [ "$given" = 1 ] && [ -d "$drive/Shared Tools" ] && [ -z "$(ls -A "$drive/Shared Tools")" ] \
        && pass "an existing folder outside Program Files ($road) is installed into and kept, its DACL $shared_sd" \
        || fail "the existing folder outside Program Files ($road): exit codes $rc and $rc_un, DACL $shared_sd"
done
cp "$root/old-un.exe" "$drive/Empty Place/Uninstall.exe"
cp "$root/old-un.exe" "$root/un.exe"
driver exec "$(winpath "$root/un.exe") /S _?=C:\Empty Place" >/dev/null; rc=$?
[ "$rc" = 0 ] && [ -f "$drive/Empty Place/Uninstall.exe" ] \
    && pass "an uninstaller copied into a folder of its own removes neither that folder nor anything in it" \
    || fail "the uninstaller copied elsewhere (exit code $rc) removed: $(ls -A "$drive/Empty Place" 2>&1)"
rm -f "$drive/Empty Place/Uninstall.exe"

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
driver type "Larkspire 5.0 Setup" 1019 'C:\Tools\x\..\LS' 60
driver answer "Larkspire 5.0 Setup" "Destination" 1 60
driver answer "Larkspire 5.0 Setup" "cannot be used" 1 60 \
    && pass "the folder page refuses a folder that cannot be used as typed" || fail "a folder with .. was not refused"
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
# user's settings too: it waits until the settings are closed; the files that
# another program still holds go at the next restart and the user is told;
# the planted file, not the setup's, stays. A setup before the restart says
# that it must wait for it and changes nothing, also when the files left for
# the restart were removed by hand.
start_applet
driver wait-dialog "Larkspire Settings" "" 60 || fail "the applet did not start before the uninstall"
cp "$dir/Uninstall.exe" "$root/un.exe"
"$wine" "$driver" exec "$(winpath "$root/un.exe") _?=$windir" </dev/null >/dev/null 2>&1 &
setup_pid=$!
driver answer "Larkspire 5.0 Uninstall" "" 1 60 || fail "the uninstaller's confirmation page did not appear"
driver wait-dialog "Larkspire 5.0 Uninstall" "is open and uses files" 60 \
    && pass "the uninstaller asks for the open settings to be closed" \
    || fail "the uninstaller did not ask to close the open settings"
"$wine" "$driver" hold 120 "$windir\\LS5Panel.exe" "$windir\\LSCleaners.dll" </dev/null >/dev/null 2>&1 &
hold_pid=$!
driver wait-window setup_driver_hold 30 || fail "the files could not be held"
driver close "Larkspire Settings" 5 >/dev/null
driver wait-gone quenlow_ls5controls 30
driver answer "Larkspire 5.0 Uninstall" "is open and uses files" 4 60 || fail "no Retry"
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
driver hold-end
wait "$hold_pid"
snapshot leftover
rc=$(install /S)
snapshot refused-leftover
[ "$rc" = 6 ] && diff "$root/leftover.snap" "$root/refused-leftover.snap" >/dev/null \
    && pass "a setup into the folder before the restart removes its files says so, exit code 6, and changes nothing" \
    || fail "a setup into a folder whose files go at the restart gave exit code $rc"
"$wine" "$package" </dev/null >/dev/null 2>&1 &
setup_pid=$!
driver answer "Larkspire 5.0 Setup" "Destination" 1 60 || fail "the setup's folder page did not appear"
driver answer "Larkspire 5.0 Setup" "removed when Windows restarts" 1 60 \
    && pass "the folder page says that the folder's files wait for the restart" \
    || fail "the folder page took a folder whose files wait for the restart"
driver answer "Larkspire 5.0 Setup" "Destination" 2 60
wait "$setup_pid"
setup_pid=
rm -f "$dir/LS5Panel.exe" "$dir/LSCleaners.dll" "$dir/rundll32.exe"
rc=$(install /S)
[ "$rc" = 6 ] && [ -z "$(ls -A "$dir")" ] \
    && pass "so does a setup when the files left for the restart were removed by hand" \
    || fail "with the files left for the restart removed by hand the setup gave exit code $rc"
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
