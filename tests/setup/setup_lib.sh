# The setup program's test: its helpers, sourced by setup_test.sh once the
# test's variables are set (the Wine program, the prefix's drive, the
# packages, the driver).

failures=0
fail() { echo "setup_test: FAILED: $*"; failures=$((failures + 1)); }
pass() { echo "setup_test: ok: $*"; }
# Windows paths of the test's own files (drive Z: is the Unix root).
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }
w() { "$wine" "$@" </dev/null 2>/dev/null; }
quiet() { "$wine" "$@" </dev/null >/dev/null 2>&1; }
finish() {
    [ -n "${stubborn_pid:-}" ] && kill "$stubborn_pid" 2>/dev/null
    [ -n "${gate_pid:-}" ] && kill "$gate_pid" 2>/dev/null
    [ -n "${busy_pid:-}" ] && kill "$busy_pid" 2>/dev/null
    [ -n "${hung_pid:-}" ] && kill "$hung_pid" 2>/dev/null
    [ -n "${hold_pid:-}" ] && kill "$hold_pid" 2>/dev/null
    [ -n "${setup_pid:-}" ] && kill "$setup_pid" 2>/dev/null
    /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
}

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
unixpath() { printf '%s' "$1" | sed 's|^C:|'"$drive"'|; s|\\|/|g'; }
uninstall() { # FOLDER [SPELLING] (Windows): runs a copy of the uninstaller of
    # FOLDER in place, given the folder as SPELLING, and waits
    cp "$(unixpath "$1")/Uninstall.exe" "$root/un.exe" 2>/dev/null
    driver exec "$(winpath "$root/un.exe") /S _?=${2:-$1}" >/dev/null; echo $?
}
short() { driver short "$1" | tr -d '\r'; }
# The DACL of a file or folder as Wine keeps it (SDDL).
security() { driver acl "$1" | tr -d '\r'; }
value() { # KEY VALUE: the value's data as reg query shows it, or nothing
    w reg query "$1" /v "$2" | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}
default() { # KEY [VIEW]: the key's default value
    w reg query "$1" /ve ${2:-} | tr -d '\r' | sed -n 's/^ *(Default) *REG_SZ *//p'
}

seam() { # VARIABLE=VALUE... ARGS: the package with seams, its exit code
    while [ $# -gt 1 ]; do case $1 in *=*) export "$1"; shift ;; *) break ;; esac; done
    driver exec "$(winpath "$seams") $*" >/dev/null; echo $?
    unset LARKSPIRE_TEST_RIGHTS LARKSPIRE_TEST_HELD LARKSPIRE_TEST_ROUTE LARKSPIRE_TEST_SHELL_USER \
          LARKSPIRE_TEST_OWNER LARKSPIRE_TEST_ACLS LARKSPIRE_TEST_PLATFORM
}
seam_limited() { # VARIABLE=VALUE... ARGS: the same, started with the user's limited token
    while [ $# -gt 1 ]; do case $1 in *=*) export "$1"; shift ;; *) break ;; esac; done
    driver exec-limited "$(winpath "$seams") $*" >/dev/null; echo $?
    unset LARKSPIRE_TEST_ROUTE LARKSPIRE_TEST_SHELL_USER
}
clsid='HKCR\CLSID\{EEFDDFC3-E68F-11D1-B5FF-0080C866E8E5}\InprocServer32'
unkey='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Larkspire'
uq() { w reg query "$unkey" /v "$1" $view | tr -d '\r' | sed -n "s/^ *$1 *REG_[A-Z_]* *//p"; }
run='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
# Whether the installation in FOLDER (Windows) is whole: its classes name its
# server, the uninstall entry names it, its uninstaller is there.
whole() {
    [ "$(default "$clsid" $view)" = "$1\\LSCleaners.dll" ] && [ "$(uq InstallLocation)" = "$1" ] &&
        [ -f "$(unixpath "$1")/Uninstall.exe" ]
}

