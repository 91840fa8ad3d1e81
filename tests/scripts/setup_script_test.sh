#!/bin/sh
# scripts/setup.sh against a package system of stand-ins: apt-get, dpkg,
# dpkg-query (and sudo) on the PATH answer from a small world of files, and
# the private i386 tree is made of .deb files built here (a loader, a Wine
# and a QEMU that are shell scripts). No network, no change to the machine.
# Each case gets a world and a build folder of its own:
#   - an update that fails for one index, and the system's wine32:i386 that
#     cannot be installed: a warning naming the index, the amd64 packages
#     installed, a private tree run natively;
#   - a second run: nothing fetched, the tree kept;
#   - a missing amd64 package, a mirror that fails for every index, an
#     install that fails: exit 1 and one line naming what is missing;
#   - a tree left half-made by an interrupted run and a dpkg left unfinished;
#   - a kernel that runs no 32-bit code: the tree under QEMU (a system QEMU
#     older than 8.1 refused), and no QEMU to be had at all;
#   - the system's wine32:i386 that installs; a tree that cannot be fetched.
#
#   tests/scripts/setup_script_test.sh SCRATCH
set -u
repo=$(cd "$(dirname "$0")/../.." && pwd)
scratch=$1
rm -rf "$scratch"
mkdir -p "$scratch"
scratch=$(cd "$scratch" && pwd)

failures=0
fail() { echo "setup_script_test: FAILED: $*"; failures=$((failures + 1)); }
pass() { echo "setup_script_test: ok: $*"; }
check() { # DESCRIPTION COMMAND...
    what=$1
    shift
    if "$@"; then pass "$what"; else fail "$what"; fi
}
has_line() { grep -qF -- "$2" "$1"; }
lines_matching() { grep -cF -- "$2" "$1" 2>/dev/null || true; }

# --- The stand-ins -----------------------------------------------------------
bin=$scratch/bin
mkdir -p "$bin"

# apt-get: the system's lists live in $WORLD; a private configuration
# (APT_CONFIG) gets the fixtures' packages.
cat >"$bin/apt-get" <<'EOF'
#!/bin/sh
echo "apt-get ${APT_CONFIG:+(private) }$*" >>"$WORLD/calls"
simulate=0 download=0 command= packages=
for a in "$@"; do
    case $a in
    -s) simulate=1 ;;
    -d) download=1 ;;
    -*) ;;
    update | install | download | indextargets) [ -z "$command" ] && command=$a || packages="$packages $a" ;;
    *) [ -n "$command" ] && packages="$packages $a" ;;
    esac
done
conf() { sed -n "s/^$1 \"\\(.*\\)\";$/\\1/p" "$APT_CONFIG"; }
if [ -n "${APT_CONFIG:-}" ]; then
    arch=$(conf 'APT::Architecture')
    case $command in
    update)
        [ -f "$WORLD/private-update-fails" ] && { echo "E: Failed to fetch http://mirror.example/debian/dists/bookworm/main/binary-$arch/Packages.xz  Connection failed"; exit 100; }
        exit 0 ;;
    install)
        [ "$arch" = i386 ] || exit 100
        if [ "$simulate" = 1 ]; then
            version=${packages#*=}
            echo "Inst libc6 (2.36-9 Debian:12 [i386])"
            echo "Inst libz-mingw-w64 (1.2.13+dfsg-1 Debian:12 [all])"
            echo "Inst libwine ($version Debian:12 [i386])"
            echo "Inst wine32 ($version Debian:12 [i386])"
            exit 0
        fi
        [ -f "$WORLD/private-download-fails" ] && { echo "E: Failed to fetch http://mirror.example/debian/pool/main/w/wine/wine32.deb  Connection failed"; exit 100; }
        [ "$download" = 1 ] || exit 100
        cp "$FIXTURES"/i386/*.deb "$(conf 'Dir::Cache::Archives')/"
        exit 0 ;;
    download)
        [ -f "$WORLD/no-backports" ] && { echo "E: Can't find a source to download version of 'qemu-user'"; exit 100; }
        cp "$FIXTURES"/amd64/qemu-user_*.deb .
        exit 0 ;;
    esac
    exit 100
fi
case $command in
indextargets)
    echo "http://mirror.example/debian bookworm"
    echo "http://mirror.example/debian-security bookworm-security"
    exit 0 ;;
update)
    echo x >>"$WORLD/updates"
    case $(cat "$WORLD/update-mode" 2>/dev/null) in
    one-index)
        grep -qx i386 "$WORLD/foreign" 2>/dev/null || exit 0
        echo "E: Failed to fetch http://mirror.example/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress? [IP: 192.0.2.1 80]"
        echo "E: Some index files failed to download. They have been ignored, or old ones used instead."
        exit 100 ;;
    all)
        for index in bookworm/main/binary-amd64/Packages.xz bookworm-security/main/binary-amd64/Packages.xz; do
            echo "E: Failed to fetch http://mirror.example/debian/dists/$index  Could not resolve 'mirror.example'"
        done
        exit 100 ;;
    esac
    exit 0 ;;
install)
    status=0
    for p in $packages; do
        name=${p%%=*}
        if [ -f "$WORLD/no-lists" ] || grep -qx "$name" "$WORLD/missing" 2>/dev/null; then
            echo "E: Unable to locate package $name"
            status=100
        elif [ "$name" = wine32:i386 ] && [ -f "$WORLD/i386-breaks" ]; then
            echo "The following packages have unmet dependencies:"
            echo " libcups2 : Depends: libavahi-client3 (>= 0.6.16) but it is not going to be installed"
            echo " libfreetype6:i386 : Depends: libbrotli1:i386 (>= 0.6.0) but it is not going to be installed"
            echo "E: Error, pkgProblemResolver::Resolve generated breaks, this may be caused by held packages."
            status=100
        fi
    done
    [ "$status" = 0 ] || exit $status
    [ "$simulate" = 1 ] && exit 0
    [ -f "$WORLD/install-fails" ] && { echo "E: Failed to fetch http://mirror.example/debian/pool/main/n/nsis/nsis.deb  404  Not Found"; exit 100; }
    for p in $packages; do
        echo "${p%%=*}" >>"$WORLD/installed"
        if [ "$p" = wine32:i386 ]; then
            printf '#!/bin/sh\necho "wine-8.0 (system stand-in)"\n' >"$LS_SYSTEM_WINE32"
            chmod +x "$LS_SYSTEM_WINE32"
        fi
    done
    exit 0 ;;
esac
exit 100
EOF

cat >"$bin/dpkg" <<'EOF'
#!/bin/sh
echo "dpkg $*" >>"$WORLD/calls"
case $1 in
--print-foreign-architectures) cat "$WORLD/foreign" 2>/dev/null ;;
--add-architecture) echo "$2" >>"$WORLD/foreign" ;;
--audit) cat "$WORLD/audit" 2>/dev/null ;;
--configure) rm -f "$WORLD/audit" ;;
*) exit 2 ;;
esac
EOF

cat >"$bin/dpkg-query" <<'EOF'
#!/bin/sh
# dpkg-query -W -f=FORMAT PACKAGE
package=$3
grep -qx "$package" "$WORLD/installed" 2>/dev/null || exit 1
case $2 in
*Status*) printf 'install ok installed' ;;
*Version*) printf '8.0~test-1' ;;
esac
EOF

cat >"$bin/sudo" <<'EOF'
#!/bin/sh
exec "$@"
EOF
chmod +x "$bin"/*

# --- The fixtures' packages ---------------------------------------------------
fixtures=$scratch/fixtures
mkdir -p "$fixtures/i386" "$fixtures/amd64"
deb() { # DIR NAME VERSION ARCH OUTPUT
    mkdir -p "$1/DEBIAN"
    printf 'Package: %s\nVersion: %s\nArchitecture: %s\nMaintainer: test <test@example.org>\nDescription: stand-in\n' \
        "$2" "$3" "$4" >"$1/DEBIAN/control"
    dpkg-deb --root-owner-group -Zgzip --build "$1" "$5" >/dev/null || { echo "cannot build $5"; exit 1; }
}
# A "dynamic loader" that runs the program it is given, and a "Wine" that
# names itself and says how it was started.
p=$scratch/pkg-libc6
mkdir -p "$p/lib/i386-linux-gnu" "$p/etc/ld.so.conf.d"
printf '#!/bin/sh\n[ "$1" = --inhibit-cache ] && shift\nexec "$@"\n' >"$p/lib/i386-linux-gnu/ld-linux.so.2"
chmod +x "$p/lib/i386-linux-gnu/ld-linux.so.2"
ln -s i386-linux-gnu/ld-linux.so.2 "$p/lib/ld-linux.so.2"
echo /lib/i386-linux-gnu >"$p/etc/ld.so.conf.d/i386-linux-gnu.conf"
deb "$p" libc6 2.36-9 i386 "$fixtures/i386/libc6_2.36-9_i386.deb"
p=$scratch/pkg-zlib
mkdir -p "$p/usr/i686-w64-mingw32/lib"
awk 'BEGIN { for (i = 0; i < 160; i++) printf "%c", 65 + i % 26 }' >"$p/usr/i686-w64-mingw32/lib/zlib1.dll"
deb "$p" libz-mingw-w64 1.2.13+dfsg-1 all "$fixtures/i386/libz-mingw-w64_1.2.13+dfsg-1_all.deb"
p=$scratch/pkg-libwine
mkdir -p "$p/usr/lib/i386-linux-gnu/wine/i386-windows"
: >"$p/usr/lib/i386-linux-gnu/wine/i386-windows/kernel32.dll"
deb "$p" libwine 8.0~test-1 i386 "$fixtures/i386/libwine_8.0~test-1_i386.deb"
p=$scratch/pkg-wine32
mkdir -p "$p/usr/lib/wine"
cat >"$p/usr/lib/wine/wine" <<'EOF'
#!/bin/sh
if [ "$1" = --version ]; then echo "wine-8.0 (stand-in)"; exit 0; fi
echo "started: $* noexec=${WINELOADERNOEXEC:-} loader=${WINELOADER:-} qemu=${STANDIN_QEMU:-no}"
EOF
chmod +x "$p/usr/lib/wine/wine"
deb "$p" wine32 8.0~test-1 i386 "$fixtures/i386/wine32_8.0~test-1_i386.deb"
qemu_fixture() { # VERSION DIR: a qemu-i386 that runs the program it is given
    mkdir -p "$2"
    cat >"$2/qemu-i386" <<EOF
#!/bin/sh
if [ "\$1" = --version ]; then echo "qemu-i386 version $1 (stand-in)"; exit 0; fi
[ "\$1" = -L ] && shift 2
[ "\$1" = -0 ] && shift 2
STANDIN_QEMU=$1 exec "\$@"
EOF
    chmod +x "$2/qemu-i386"
}
p=$scratch/pkg-qemu
qemu_fixture 10.0.2 "$p/usr/bin"
deb "$p" qemu-user 1:10.0.2+ds-2 amd64 "$fixtures/amd64/qemu-user_10.0.2+ds-2_amd64.deb"
qemu_fixture 7.2.19 "$scratch/old-qemu"

# --- Running setup in a world --------------------------------------------------
amd64="cmake make g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine64 xvfb xauth x11-apps imagemagick googletest python3 psmisc fonts-wine nsis"
# world NAME: a fresh world, where every amd64 package is in the lists and
# nothing is installed; the system has no 32-bit Wine.
world() {
    case_dir=$scratch/$1
    WORLD=$case_dir/world
    build=$case_dir/build
    mkdir -p "$WORLD" "$build"
    : >"$WORLD/installed"
    system_wine=$case_dir/system-wine
}
# setup [VAR=VALUE...]: scripts/setup.sh with the stand-ins; its output in
# $case_dir/out, its exit code in $rc.
setup() {
    rc=0
    env PATH="$bin:$PATH" WORLD="$WORLD" FIXTURES="$fixtures" LS_BUILD_DIR="$build" \
        LS_SYSTEM_WINE32="$system_wine" LS_APT_PAUSE=0 LS_NATIVE_I386=yes "$@" \
        sh "$repo/scripts/setup.sh" >"$case_dir/out" 2>&1 </dev/null || rc=$?
    sed 's/^/    | /' "$case_dir/out"
}
one_line() { # FILE TEXT: exactly one line holds TEXT
    [ "$(lines_matching "$1" "$2")" = 1 ]
}
all_installed() {
    for p in $amd64; do grep -qx "$p" "$WORLD/installed" || return 1; done
}
loader=
choice_is() { # WAY
    [ -f "$build/wine32/choice" ] || return 1
    wine32_way= wine32_loader=
    . "$build/wine32/choice"
    loader=$wine32_loader
    [ "$wine32_way" = "$1" ]
}

echo "setup_script_test: an update that fails for one index; the system's wine32:i386 cannot be installed"
world one-index
echo one-index >"$WORLD/update-mode"
touch "$WORLD/i386-breaks"
setup
check "setup goes on past the failed update (exit 0)" [ "$rc" = 0 ]
check "the update that failed was tried three times" [ "$(wc -l <"$WORLD/updates")" = 4 ]
check "one warning line names the failed index" \
    one_line "$case_dir/out" "apt-get update failed for bookworm-security/main/binary-i386/Packages.xz (File has unexpected size (374820 != 376004))"
check "every amd64 package is installed" all_installed
check "the i386 architecture was added for wine32:i386" grep -qx i386 "$WORLD/foreign"
check "one line says why the system's wine32:i386 cannot be installed, by an i386 package" \
    one_line "$case_dir/out" "the system's wine32:i386 cannot be installed (wine32:i386: libfreetype6:i386 (needs libbrotli1:i386"
check "one line says a private tree is used, run natively" one_line "$case_dir/out" "32-bit Wine: a private i386 tree ($build/wine32/tree), run natively"
check "the choice is the tree" choice_is tree
started=$("$loader" start.exe /x 2>&1)
check "the tree's loader starts its Wine through its dynamic loader, not re-executing itself" \
    [ "$started" = "started: start.exe /x noexec=1 loader=$build/wine32/tree/usr/lib/wine/wine qemu=no" ]
check "the tree's loader answers --version" sh -c "'$loader' --version | grep -q '^wine-8.0 (stand-in)'"
zlib=$build/wine32/tree/usr/lib/i386-linux-gnu/wine/i386-windows/zlib1.dll
check "Wine's zlib1.dll is made from MinGW's, with Wine's builtin mark at offset 64" \
    sh -c "[ \"\$(dd if='$zlib' bs=1 skip=64 count=16 2>/dev/null)\" = 'Wine builtin DLL' ] &&
           [ \"\$(wc -c <'$zlib')\" = 160 ] &&
           [ \"\$(tail -c 64 '$zlib')\" = \"\$(tail -c 64 '$fixtures/../pkg-zlib/usr/i686-w64-mingw32/lib/zlib1.dll')\" ]"
check "the private apt had a package state of its own" \
    sh -c "grep -q 'Dir::State::status \"$build/wine32/apt/status\"' '$build/wine32/apt/apt.conf' && [ ! -s '$build/wine32/apt/status' ]"
check "the private lists are the main suite's, for i386" \
    grep -q '^deb \[arch=i386.*\] http://mirror.example/debian bookworm main$' "$build/wine32/apt/sources.list"
check "nothing was installed into the system with dpkg -i" sh -c "! grep -q '^dpkg .*-i' '$WORLD/calls'"

echo "setup_script_test: the same machine again"
: >"$WORLD/calls"
setup
check "a second run succeeds" [ "$rc" = 0 ]
check "a second run fetches nothing" sh -c "! grep -q 'update\\|install' '$WORLD/calls'"
check "a second run keeps the tree" choice_is tree

echo "setup_script_test: an amd64 package that is not in the lists"
world missing
echo nsis >"$WORLD/missing"
setup
check "setup stops with exit code 1" [ "$rc" = 1 ]
check "one line names the missing package" one_line "$case_dir/out" "setup: cannot install nsis: not in the package lists"
check "nothing was installed" [ ! -s "$WORLD/installed" ]
check "no 32-bit Wine was looked for" [ ! -f "$build/wine32/choice" ]

echo "setup_script_test: a mirror that fails for every index"
world all-fail
echo all >"$WORLD/update-mode"
touch "$WORLD/no-lists"
setup
check "setup stops with exit code 1" [ "$rc" = 1 ]
check "one line names the packages and the failed indexes" \
    one_line "$case_dir/out" "setup: cannot install cmake make g++-mingw-w64-i686"
check "that line says the update failed for every index" \
    one_line "$case_dir/out" "(apt-get update failed for bookworm-security/main/binary-amd64/Packages.xz (Could not resolve 'mirror"
check "nothing was installed" [ ! -s "$WORLD/installed" ]
rm -f "$WORLD/no-lists"
echo ok >"$WORLD/update-mode"
touch "$WORLD/i386-breaks"
setup
check "a second run, once the mirror answers, finishes (exit 0)" [ "$rc" = 0 ]
check "... with every amd64 package installed" all_installed

echo "setup_script_test: an install that fails"
world install-fails
touch "$WORLD/install-fails"
setup
check "setup stops with exit code 1" [ "$rc" = 1 ]
check "one line gives apt-get's error" one_line "$case_dir/out" "setup: apt-get install failed: Failed to fetch http://mirror.example/debian/pool/main/n/nsis/nsis.deb"

echo "setup_script_test: what an interrupted run left"
world interrupted
for p in $amd64; do [ "$p" = nsis ] || echo "$p" >>"$WORLD/installed"; done
echo "The following packages are only half configured: nsis" >"$WORLD/audit"
touch "$WORLD/i386-breaks"
mkdir -p "$build/wine32/tree/usr/lib/wine" "$build/wine32/tree.new/usr"
echo junk >"$build/wine32/tree/usr/lib/wine/half"
setup
check "setup succeeds (exit 0)" [ "$rc" = 0 ]
check "the unfinished package installation was finished before apt-get installs" \
    sh -c "grep -n '^dpkg --configure -a\|^apt-get -y -qq --no-install-recommends install\|^apt-get install' '$WORLD/calls' | head -n 1 | grep -q 'dpkg --configure'"
check "the package it left is installed" grep -qx nsis "$WORLD/installed"
check "a line says the incomplete tree is made again" one_line "$case_dir/out" "removing an incomplete or outdated private i386 tree"
check "the half-made tree's leftovers are gone" [ ! -e "$build/wine32/tree/usr/lib/wine/half" ]
check "no unpacking folder is left" [ ! -e "$build/wine32/tree.new" ]
check "the tree is whole and stamped" grep -qx 'wine32 8.0~test-1' "$build/wine32/tree/.larkspire-tree"
check "the choice is the tree" choice_is tree

echo "setup_script_test: a kernel that runs no 32-bit code, a system QEMU older than 8.1"
world qemu
for p in $amd64; do echo "$p" >>"$WORLD/installed"; done
setup LS_NATIVE_I386=no PATH="$scratch/old-qemu:$bin:$PATH"
check "setup succeeds (exit 0)" [ "$rc" = 0 ]
check "the system's wine32:i386 is not tried" sh -c "! grep -q 'wine32:i386' '$WORLD/calls'"
check "the backports suite's qemu-user is fetched" grep -q '^apt-get (private) .*download.* qemu-user' "$WORLD/calls"
check "the backports lists are the system mirror's" \
    grep -q '^deb \[arch=amd64.*\] http://mirror.example/debian bookworm-backports main$' "$build/wine32/qemu-apt/sources.list"
check "one line says the tree runs under QEMU 10" one_line "$case_dir/out" "under QEMU (qemu-i386 version 10.0.2"
check "the choice is qemu" choice_is qemu
started=$("$loader" start.exe 2>&1)
check "the tree's loader starts Wine under the fetched QEMU" \
    [ "$started" = "started: start.exe noexec=1 loader=$build/wine32/tree/usr/lib/wine/wine qemu=10.0.2" ]

echo "setup_script_test: a kernel that runs no 32-bit code and no QEMU to be had"
world no-qemu
for p in $amd64; do echo "$p" >>"$WORLD/installed"; done
touch "$WORLD/no-backports"
setup LS_NATIVE_I386=no PATH="$scratch/old-qemu:$bin:$PATH"
check "setup succeeds (exit 0): the x86_64 build is still tested" [ "$rc" = 0 ]
check "one line says there is no 32-bit Wine, and why" \
    one_line "$case_dir/out" "32-bit Wine: none; this kernel runs no 32-bit code, and no qemu-i386 8.1 or later can be had: could not fetch the backports suite's qemu-user"
check "the choice is none" choice_is none
check "... with the reason as said, quotes and all, for the test command" \
    [ "$wine32_why" = "this kernel runs no 32-bit code, and no qemu-i386 8.1 or later can be had: could not fetch the backports suite's qemu-user: Can't find a source to download version of 'qemu-user'" ]

echo "setup_script_test: the system's wine32:i386 installs"
world system
for p in $amd64; do echo "$p" >>"$WORLD/installed"; done
echo i386 >"$WORLD/foreign"
setup
check "setup succeeds (exit 0)" [ "$rc" = 0 ]
check "wine32:i386 was installed" grep -qx 'wine32:i386' "$WORLD/installed"
check "one line says the system's is used" one_line "$case_dir/out" "32-bit Wine: the system's wine32:i386"
check "the choice is the system's" choice_is system
check "... with the system's loader" [ "$loader" = "$system_wine" ]
check "no private tree was made" [ ! -e "$build/wine32/tree" ]

echo "setup_script_test: no private tree can be fetched"
world no-tree
for p in $amd64; do echo "$p" >>"$WORLD/installed"; done
touch "$WORLD/i386-breaks" "$WORLD/private-download-fails"
setup
check "setup succeeds (exit 0)" [ "$rc" = 0 ]
check "one line says why there is no 32-bit Wine" \
    one_line "$case_dir/out" "32-bit Wine: none; neither the system's wine32:i386 nor a private i386 tree can be had: could not fetch the private i386 packages"
check "no tree is left, whole or half" sh -c "[ ! -e '$build/wine32/tree' ] && [ ! -e '$build/wine32/tree/.larkspire-tree' ]"
rm -f "$WORLD/private-download-fails"
setup
check "the next run, once the packages can be fetched, makes the tree" choice_is tree

if [ "$failures" -ne 0 ]; then
    echo "setup_script_test: $failures check(s) failed"
    exit 1
fi
echo "setup_script_test: all checks passed"
