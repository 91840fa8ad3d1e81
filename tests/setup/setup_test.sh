#!/bin/sh
# The setup program in a Wine prefix of the test's own (ROOT/prefix, made anew
# each run): silent installs and uninstalls compared against snapshots of the
# prefix's files and registry taken before, the Agent started and cleaning,
# an upgrade over a running Agent, an Agent that does not end, a folder with
# spaces, a component server that cannot be
# registered, the uninstaller run twice, and the interactive setup driven
# through its questions and the introduction wizard.
#
#   setup_test.sh ARCH PACKAGE DRIVER NSI BINDIR ROOT
set -u
arch=$1 package=$2 driver=$3 nsi=$4 bindir=$5 root=$6
here=$(cd "$(dirname "$0")" && pwd)
case $arch in
i686) wine=/usr/lib/wine/wine nsisarch=x86 ;;
*) wine=/usr/lib/wine/wine64 nsisarch=amd64 ;;
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
                key.startswith('[hkey_current_user\\appevents\\schemes\\apps\\larkspire'))
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

# The user's settings of an earlier installation, which nothing may lose.
quiet reg add "$userkey" /v Sentinel /t REG_DWORD /d 0xdeadbeef /f
snapshot before

# A component server that cannot be registered: a package made here whose
# LSCleaners.dll is no image at all.
mkdir -p "$root/broken"
cp "$bindir"/* "$root/broken/"
echo "not an image" >"$root/broken/LSCleaners.dll"
if makensis -V1 -DARCH=$nsisarch -DBINDIR="$root/broken" -DOUTFILE="$root/broken-setup.exe" "$nsi" >/dev/null; then
    rc=$(driver exec "$(winpath "$root/broken-setup.exe") /S" >/dev/null; echo $?)
    [ "$rc" = 4 ] && pass "a component server that cannot be registered gives exit code 4" \
        || fail "a component server that cannot be registered gave exit code $rc"
    snapshot broken
    same_as_before broken "a failed registration leaves nothing installed or registered, and the user's settings"
else
    fail "makensis could not make the package with a broken component server"
fi

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
    pass "the install adds exactly the seven files and the Start-menu group with its two shortcuts"
else
    fail "the install's files differ from the expected ones:"; cat "$root/files.diff"
fi
[ -s "$root/removed" ] && { fail "the install removed or changed:"; head -20 "$root/removed"; }
# Every key added, with the HKCR classes under HKLM\Software\Classes.
# (App Paths is one key shared by both views.)
grep '^\[' "$root/added" | sed 's/\\Wow6432Node//' | sort -u >"$root/added.keys"
{
    for c in '{7AC4C283-E7A4-11D1-B601-0080C866E8E5}' '{8A3403B3-E7AD-11D1-B601-0080C866E8E5}' \
             '{DEA42F23-E78A-11D1-B601-0080C866E8E5}' '{EEFDDFC3-E68F-11D1-B5FF-0080C866E8E5}'; do
        for s in '' '\InprocServer32' '\NotInsertable' '\ProgID' '\VersionIndependentProgID'; do
            echo "[HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID\\$c$s]"
        done
    done
    for p in LSAltPaths LSIExplorer LSNetscape LSWinTempFiles; do
        for s in "$p" "$p\\CLSID" "$p\\CurVer" "${p}1.0" "${p}1.0\\CLSID"; do
            echo "[HKEY_LOCAL_MACHINE\\Software\\Classes\\$s]"
        done
    done
    echo '[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\App Paths\LS5Panel.exe]'
    echo '[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\Larkspire]'
    for k in '' '\Larkspire' '\Larkspire\Components' '\Larkspire\Components\Internet Explorer Browser' \
             '\Larkspire\Components\Netscape Browser' '\Larkspire\Components\Other Folders' \
             '\Larkspire\Components\Windows Temporary Files'; do
        echo "[HKEY_LOCAL_MACHINE\\Software\\Quenlow$k]"
    done
} | sort >"$root/expected.keys"
if diff "$root/expected.keys" "$root/added.keys" >"$root/keys.diff"; then
    pass "the install adds exactly the classes, the catalogue, App Paths and the uninstall entry"
else
    fail "the install's registry keys differ from the expected ones:"; cat "$root/keys.diff"
fi
grep -q '^@="C:\\\\Program Files\\\\Larkspire\\\\LSCleaners.dll"$' "$root/added" \
    && pass "the classes name the installed LSCleaners.dll" || fail "the classes do not name the installed server"
unkey='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Larkspire'
[ "$arch" = x86_64 ] && view=/reg:64 || view=
uq() { w reg query "$unkey" /v "$1" $view | tr -d '\r' | sed -n "s/^ *$1 *REG_[A-Z_]* *//p"; }
[ "$(uq DisplayName)" = "Larkspire 5.0" ] && [ "$(uq Publisher)" = Quenlow ] && \
[ "$(uq DisplayVersion)" = 5.0 ] && [ "$(uq UninstallString)" = "\"$windir\\Uninstall.exe\"" ] && \
[ "$(uq DisplayIcon)" = "$windir\\Agent.exe,0" ] && [ -n "$(uq EstimatedSize)" ] && [ "$(uq EstimatedSize)" != 0x0 ] \
    && pass "Add/Remove Programs shows name, version, publisher, icon, uninstall command and size" \
    || fail "the uninstall entry is incomplete: $(w reg query "$unkey" $view | tr -d '\r')"

# The Agent starts from the installation and cleans; the applet starts and
# keeps its App Paths entry.
quiet reg add "$userkey\\Components\\Windows Temporary Files" /v Enabled /t REG_DWORD /d 1 /f
quiet reg add "$userkey" /v Recycle /t REG_DWORD /d 0 /f
mkdir -p "$temp/clutter"
echo old >"$temp/clutter/old.log"
start_agent() { "$wine" "$windir\\Agent.exe" </dev/null >/dev/null 2>&1 & }
start_agent
if driver wait-window quenlow_ls5AgentFrame 60; then
    for _ in $(seq 100); do [ -e "$temp/clutter/old.log" ] || break; sleep 0.2; done
    [ -e "$temp/clutter/old.log" ] && fail "the installed Agent did not clean the temporary folder" \
        || pass "the installed Agent starts and cleans the temporary folder"
else
    fail "the installed Agent's frame window did not appear"
fi
"$wine" "$windir\\LS5Panel.exe" </dev/null >/dev/null 2>&1 &
if driver close "Larkspire Settings" 60 >/dev/null; then
    [ "$(default 'HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths\LS5Panel.exe' $view)" = "$windir\\LS5Panel.exe" ] \
        && pass "App Paths names the installed applet after its first start" \
        || fail "App Paths does not name the installed applet"
else
    fail "the installed applet's sheet did not appear"
fi
sleep 1

# An upgrade over the running Agent: it is ended, the files replaced, the
# user's settings kept.
quiet regedit /E "$(winpath "$root/user-before.reg")" 'HKEY_CURRENT_USER\Software\Quenlow\Larkspire'
echo stale >"$dir/LSAutorun.inf"
rc=$(install /S)
[ "$rc" = 0 ] && pass "an upgrade over a running Agent succeeds" || fail "the upgrade gave exit code $rc"
driver wait-gone quenlow_ls5AgentFrame 1 && pass "the upgrade ended the running Agent" \
    || fail "the Agent still runs after the upgrade"
cmp -s "$dir/LSAutorun.inf" "$bindir/LSAutorun.inf" && pass "the upgrade replaced the files" \
    || fail "the upgrade left an old file"
quiet regedit /E "$(winpath "$root/user-after.reg")" 'HKEY_CURRENT_USER\Software\Quenlow\Larkspire'
cmp -s "$root/user-before.reg" "$root/user-after.reg" && pass "the upgrade kept the user's settings" \
    || fail "the upgrade changed the user's settings"

# An Agent that does not end: nothing is changed, exit code 5.
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
cp "$bindir/LSAutorun.inf" "$dir/LSAutorun.inf"

# The silent uninstall ends the running Agent and leaves the prefix as before,
# the user's settings kept.
start_agent
driver wait-window quenlow_ls5AgentFrame 60
rc=$(uninstall "$windir")
[ "$rc" = 0 ] && pass "the silent uninstall succeeds" || fail "the silent uninstall gave exit code $rc"
driver wait-gone quenlow_ls5AgentFrame 1 && pass "the uninstall ended the running Agent" \
    || fail "the Agent still runs after the uninstall"
rm -rf "$temp/clutter"
snapshot uninstalled
same_as_before uninstalled "the silent uninstall leaves the prefix as it was before the install"
[ "$(value "$userkey" Sentinel)" = 0xdeadbeef ] && [ "$(value "$userkey" Recycle)" = 0x0 ] \
    && pass "the silent uninstall keeps the user's settings" || fail "the silent uninstall lost the user's settings"
rc=$(uninstall "$windir")
snapshot twice
[ "$rc" = 0 ] && pass "the uninstaller run a second time succeeds" || fail "the second uninstall gave exit code $rc"
same_as_before twice "the uninstaller run a second time changes nothing"

# A folder with spaces in its names.
spaced='C:\My Clean Up Tools'
rc=$(install "/S /D=$spaced")
[ "$rc" = 0 ] && [ -f "$drive/My Clean Up Tools/Agent.exe" ] && [ -f "$drive/My Clean Up Tools/Uninstall.exe" ] \
    && pass "a silent install into a folder with spaces succeeds" || fail "the install into a folder with spaces gave exit code $rc"
clsid='HKCR\CLSID\{EEFDDFC3-E68F-11D1-B5FF-0080C866E8E5}\InprocServer32'
[ "$(default "$clsid" $view)" = "$spaced\\LSCleaners.dll" ] \
    && pass "the classes name the server in the folder with spaces" || fail "the classes do not name the server in the folder with spaces"
"$wine" "$spaced\\Agent.exe" </dev/null >/dev/null 2>&1 &
driver wait-window quenlow_ls5AgentFrame 60 && pass "the Agent starts from the folder with spaces" \
    || fail "the Agent did not start from the folder with spaces"
rc=$(uninstall "$spaced")
[ "$rc" = 0 ] || fail "the uninstall from the folder with spaces gave exit code $rc"
snapshot spaced
same_as_before spaced "the uninstall from the folder with spaces leaves the prefix as it was"

# The interactive setup: the Startup question answered Yes, the wizard
# finished, the Agent started; then the interactive uninstall, asked to
# remove the user's settings too.
quiet reg delete 'HKCU\Software\Quenlow' /f
"$wine" "$package" </dev/null >/dev/null 2>&1 &
setup_pid=$!
driver answer "Larkspire 5.0 Setup" "Destination" 1 60 || fail "the setup's folder page did not appear"
driver answer "Larkspire Installation" "Startup group" 6 60 || fail "LSInstall's Startup question did not appear"
driver wizard "Larkspire Setup" 60 || fail "the introduction wizard did not appear or did not finish"
driver answer "Larkspire 5.0 Setup" "start the Larkspire Agent now" 6 60 || fail "the question to start the Agent did not appear"
wait "$setup_pid"; rc=$?
[ "$rc" = 0 ] && pass "the interactive setup ends with exit code 0" || fail "the interactive setup gave exit code $rc"
run='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
[ "$(value "$run" 'Larkspire Agent')" = "\"$windir\\Agent.exe\"" ] \
    && pass "the Startup answer Yes left the Agent's log-on entry" \
    || fail "no log-on entry for the Agent: $(w reg query "$run" | tr -d '\r')"
[ "$(value "$userkey" Recycle)" = 0x1 ] && [ -n "$(value "$userkey\\Components\\Windows Temporary Files" Enabled)" ] \
    && pass "the wizard's Finish wrote the options and the components' Enabled" \
    || fail "the wizard wrote no settings"
driver wait-window quenlow_ls5AgentFrame 60 && pass "the setup started the Agent when asked to" \
    || fail "the Agent was not started"
cp "$dir/Uninstall.exe" "$root/un.exe"
"$wine" "$driver" exec "$(winpath "$root/un.exe") _?=$windir" </dev/null >/dev/null 2>&1 &
un_pid=$!
driver answer "Larkspire 5.0 Uninstall" "" 1 60 || fail "the uninstaller's confirmation page did not appear"
driver answer "Larkspire 5.0 Uninstall" "remove your Larkspire settings" 6 60 || fail "the settings question did not appear"
wait "$un_pid"; rc=$?
[ "$rc" = 0 ] && pass "the interactive uninstall ends with exit code 0" || fail "the interactive uninstall gave exit code $rc"
[ -z "$(value "$run" 'Larkspire Agent')" ] && pass "the uninstall removed the log-on entry" \
    || fail "the log-on entry is left"
quiet reg query 'HKCU\Software\Quenlow' && fail "the user's settings are left although the user asked for their removal" \
    || pass "the user's settings are removed when the user agrees"
snapshot interactive
# The wizard's Components page measures the Netscape component, which makes
# the browser's Users key when it is missing: the component's doing, not the
# setup's.
without_user "$root/before.snap" >"$root/before.cmp"
if without_user "$root/interactive.snap" | grep -v -E '^\[HKEY_LOCAL_MACHINE\\Software\\Netscape(\\Netscape Navigator(\\Users)?)?\]$' |
        diff "$root/before.cmp" - >"$root/interactive.diff"; then
    pass "the interactive install and uninstall leave the prefix as it was"
else
    fail "the interactive install and uninstall left differences:"; head -40 "$root/interactive.diff"
fi

echo "setup_test: $failures failed"
[ "$failures" = 0 ]
