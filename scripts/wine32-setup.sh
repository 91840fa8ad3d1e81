#!/bin/sh
# Finds a 32-bit Wine for the shipped i686 build, in this order:
#   system  the system's wine32:i386, installed where it installs;
#   tree    else a private i386 tree of the main suite's Wine packages and
#           their dependencies, fetched with apt and unpacked under
#           build/wine32 (the system's package state is not touched), run
#           natively where the kernel runs 32-bit code;
#   qemu    else, where the kernel cannot, the same tree under QEMU's
#           user-mode emulator (qemu-i386 8.1 or later: the system's, or the
#           backports suite's unpacked beside the tree).
# Says in one line which it uses and records it in build/wine32/choice, which
# scripts/wine32.sh reads for the build, test, run and pictures commands;
# "none" with the reason where none of the three works. Called by
# scripts/setup.sh; never fails because 32-bit Wine cannot be had.
#
# For tests: LS_BUILD_DIR names another build folder; LS_NATIVE_I386=yes|no
# says whether the kernel runs 32-bit code instead of trying it;
# LS_SYSTEM_WINE32 names another place for the system's 32-bit Wine loader.
set -eu
cd "$(dirname "$0")/.."
. scripts/apt-common.sh

build=${LS_BUILD_DIR:-$PWD/build}
dir=$build/wine32
tree=$dir/tree
loader=$tree/usr/lib/wine/wine
system_wine=${LS_SYSTEM_WINE32:-/usr/lib/wine/wine}
mkdir -p "$dir"

# replace FILE: moves FILE.$$ into place, unless FILE already says the same
# (the test command's and the run command's setups may run at the same time).
replace() {
    if cmp -s "$1.$$" "$1"; then rm -f "$1.$$"; else mv -f "$1.$$" "$1"; fi
}
choose() { # WAY LOADER DESCRIPTION
    { echo "wine32_way=$1"; echo "wine32_loader='$2'"; echo "wine32_why=''"; } >"$dir/choice.$$"
    replace "$dir/choice"
    say "32-bit Wine: $3"
    exit 0
}
none() { # REASON
    { echo "wine32_way=none"; echo "wine32_loader=''"; printf "wine32_why='%s'\n" "$(printf '%s' "$1" | sed "s/'/'\\\\''/g")"; } >"$dir/choice.$$"
    replace "$dir/choice"
    say "32-bit Wine: none; $1"
    exit 0
}
runs() { # LOADER: whether it starts and names itself (touching no prefix)
    WINEPREFIX=$scratch/no-prefix "$1" --version 2>/dev/null | grep -q '^wine-'
}

# Whether this kernel runs i386 code: a 93-byte static i386 program that only
# exits with status 42.
native_i386() {
    case ${LS_NATIVE_I386:-} in yes) return 0 ;; no) return 1 ;; esac
    printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000\000\000\000\000\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010\135\000\000\000\135\000\000\000\005\000\000\000\000\020\000\000\061\333\263\052\061\300\100\315\200' \
        >"$dir/i386-probe"
    chmod +x "$dir/i386-probe"
    status=0
    "$dir/i386-probe" 2>/dev/null || status=$?
    [ "$status" = 42 ]
}

# The system's wine32:i386, installed where its i386 packages match the
# amd64 ones; one line says why not otherwise. (LS_APT_UPDATED=1: the
# system's lists were updated by this run already.)
system_wine32() {
    runs "$system_wine" && return 0
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        $SUDO dpkg --add-architecture i386
        apt_update_system
    elif [ "${LS_APT_UPDATED:-0}" != 1 ]; then
        apt_update_system
    fi
    if ! installable wine32:i386; then
        say "the system's wine32:i386 cannot be installed ($not_installable)"
        return 1
    fi
    finish_interrupted_dpkg
    if ! DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends wine32:i386 \
            >"$scratch/wine32.log" 2>&1; then
        say "the system's wine32:i386 could not be installed: $(last_error "$scratch/wine32.log")"
        return 1
    fi
    runs "$system_wine"
}

# A private apt of its own (lists, cache and an empty package state under
# FOLDER) for ARCH, with the system's mirror for SUITE: APT_CONFIG names it.
private_apt() { # FOLDER ARCH SUITE
    apt=$1
    mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial" "$apt/sources.list.d" "$apt/preferences.d"
    : >"$apt/status"
    site=$(apt-get indextargets --format '$(SITE) $(RELEASE)' 'Identifier: Packages' 2>/dev/null |
           awk -v s="$codename" '$2 == s { print $1; exit }')
    keyring=/usr/share/keyrings/debian-archive-keyring.gpg
    signed=
    [ -f "$keyring" ] && signed=" signed-by=$keyring"
    echo "deb [arch=$2$signed] ${site:-http://deb.debian.org/debian} $3 main" >"$apt/sources.list"
    {
        echo "Dir::State \"$apt\";"
        echo "Dir::State::Lists \"$apt/lists\";"
        echo "Dir::State::status \"$apt/status\";"
        echo "Dir::Cache \"$apt/cache\";"
        echo "Dir::Cache::Archives \"$apt/cache/archives\";"
        echo "Dir::Etc::SourceList \"$apt/sources.list\";"
        echo "Dir::Etc::SourceParts \"$apt/sources.list.d\";"
        echo "Dir::Etc::Preferences \"$apt/preferences\";"
        echo "Dir::Etc::PreferencesParts \"$apt/preferences.d\";"
        echo "APT::Architecture \"$2\";"
        echo "APT::Architectures { \"$2\"; };"
        echo "APT::Install-Recommends \"false\";"
        [ "$(id -u)" -eq 0 ] && echo "APT::Sandbox::User \"root\";"
    } >"$apt/apt.conf"
    APT_CONFIG=$apt/apt.conf
    export APT_CONFIG
}

# Unpacks the .deb files named in apt's simulation log ("Inst pkg (version
# ...") from FOLDER's cache into TARGET.
unpack_simulated() { # FOLDER TARGET
    sed -n 's/^Inst \([^ ]*\) (\([^ ]*\) .*/\1 \2/p' "$scratch/simulate.log" >"$scratch/debs"
    [ -s "$scratch/debs" ] || return 1
    while read -r package version; do
        file=$(ls "$1/cache/archives/${package}_$(printf '%s' "$version" | sed 's/:/%3a/')_"*.deb 2>/dev/null | head -n 1)
        [ -n "$file" ] || { echo "no file for $package $version"; return 1; }
        dpkg-deb -x "$file" "$2" || { echo "$file does not unpack"; return 1; }
    done <"$scratch/debs"
}

# The private i386 tree: wine32 of the host's Wine version with every
# package it needs, unpacked into build/wine32/tree. A tree is whole only once
# it holds its stamp; one left half-made by an interrupted run is made again.
make_tree() {
    version=$(dpkg-query -W -f='${Version}' wine64 2>/dev/null) || { tree_failed="wine64 is not installed"; return 1; }
    stamp="wine32 $version"
    if [ -f "$tree/.larkspire-tree" ] && [ "$(cat "$tree/.larkspire-tree")" = "$stamp" ]; then
        return 0
    fi
    if [ -d "$tree" ] || [ -d "$tree.new" ]; then
        say "removing an incomplete or outdated private i386 tree"
    fi
    rm -rf "$tree" "$tree.new"
    private_apt "$dir/apt" i386 "$codename"
    if ! apt_update apt-get; then
        tree_failed="apt-get update of the private i386 lists failed for $update_failed"
        unset APT_CONFIG
        return 1
    fi
    if ! installable "wine32=$version"; then
        tree_failed="the main suite's wine32 $version cannot be had ($not_installable)"
        unset APT_CONFIG
        return 1
    fi
    say "fetching wine32 $version and its dependencies for a private i386 tree"
    if ! apt-get install -d -y -qq "wine32=$version" >"$scratch/download.log" 2>&1; then
        tree_failed="could not fetch the private i386 packages: $(last_error "$scratch/download.log")"
        unset APT_CONFIG
        return 1
    fi
    unset APT_CONFIG
    mkdir -p "$tree.new"
    if ! why=$(unpack_simulated "$dir/apt" "$tree.new"); then
        tree_failed="could not unpack the private i386 packages: ${why:-no package to unpack}"
        return 1
    fi
    # What libwine's maintainer script does: Wine's zlib1.dll, made from the
    # MinGW build of zlib with Wine's builtin mark.
    for zlib in "$tree.new"/usr/i686-w64-mingw32/lib/zlib*.dll; do
        [ -f "$zlib" ] || { tree_failed="the tree has no MinGW zlib1.dll"; return 1; }
        out=$tree.new/usr/lib/i386-linux-gnu/wine/i386-windows/$(basename "$zlib")
        { head -c 64 "$zlib"; printf 'Wine builtin DLL'; printf '\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0'; tail -c +97 "$zlib"; } >"$out"
    done
    # The guest's loader reads the tree's own cache, not the host's.
    mkdir -p "$tree.new/etc"
    echo 'include /etc/ld.so.conf.d/*.conf' >"$tree.new/etc/ld.so.conf"
    ldconfig=$(command -v ldconfig || echo /sbin/ldconfig)
    "$ldconfig" -r "$tree.new" 2>/dev/null || true
    # Run natively, Wine finds its libraries from the folder its executable
    # (the dynamic loader) lies in: a copy beside Wine's own loader.
    bin=$tree.new/usr/lib/wine
    [ -x "$bin/wine" ] && [ -e "$tree.new/lib/ld-linux.so.2" ] || { tree_failed="the tree has no Wine loader"; return 1; }
    cp -L "$tree.new/lib/ld-linux.so.2" "$bin/ld-linux.so.2"
    mv "$bin/wine" "$bin/wine.real"
    echo "$stamp" >"$tree.new/.larkspire-tree"
    mv "$tree.new" "$tree"
}

# Every Wine process of the tree starts through this wrapper (Wine starts a
# new process by running WINELOADER, and never re-executes itself).
write_wrapper() { # native | qemu QEMU
    {
        echo '#!/bin/sh'
        echo '# Starts the private i386 Wine; written by scripts/wine32-setup.sh.'
        echo 'tree=$(cd "$(dirname "$0")/../../.." && pwd)'
        echo 'export WINELOADER="$tree/usr/lib/wine/wine"'
        echo '# (--version and --help are answered only by a first start.)'
        echo 'case ${1-} in --version | --help) ;; *) export WINELOADERNOEXEC=1 ;; esac'
        if [ "$1" = native ]; then
            echo 'export LD_LIBRARY_PATH="$tree/lib/i386-linux-gnu:$tree/usr/lib/i386-linux-gnu${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"'
            echo 'exec "$tree/usr/lib/wine/ld-linux.so.2" --inhibit-cache "$tree/usr/lib/wine/wine.real" "$@"'
        else
            echo "exec '$2' -L \"\$tree\" -0 \"\$tree/usr/lib/wine/wine\" \"\$tree/usr/lib/wine/wine.real\" \"\$@\""
        fi
    } >"$loader.$$"
    chmod +x "$loader.$$"
    replace "$loader"
}

# qemu-i386 8.1 or later (7.2 takes 40 s a process and crashes in wineboot):
# the system's, else the backports suite's qemu-user, unpacked (only its
# qemu-i386) into build/wine32/qemu. Prints its path.
qemu_good() { # QEMU
    v=$("$1" --version 2>/dev/null | sed -n 's/^qemu-i386 version \([0-9]*\)\.\([0-9]*\).*/\1 \2/p')
    [ -n "$v" ] || return 1
    set -- $v
    [ "$1" -gt 8 ] || { [ "$1" -eq 8 ] && [ "$2" -ge 1 ]; }
}
find_qemu() {
    for q in qemu-i386 qemu-i386-static; do
        q=$(command -v "$q" 2>/dev/null) || continue
        qemu_good "$q" && { echo "$q"; return 0; }
    done
    q=$dir/qemu/qemu-i386
    qemu_good "$q" && { echo "$q"; return 0; }
    rm -rf "$dir/qemu"
    private_apt "$dir/qemu-apt" amd64 "$codename-backports"
    if ! apt_update apt-get; then
        unset APT_CONFIG
        echo "apt-get update of the backports list failed for $update_failed" >&2
        return 1
    fi
    if ! (cd "$dir/qemu-apt/cache/archives" && apt-get download -qq qemu-user) >"$scratch/qemu.log" 2>&1; then
        unset APT_CONFIG
        echo "could not fetch the backports suite's qemu-user: $(last_error "$scratch/qemu.log")" >&2
        return 1
    fi
    unset APT_CONFIG
    mkdir -p "$dir/qemu.new"
    deb=$(ls "$dir/qemu-apt/cache/archives"/qemu-user_*.deb | tail -n 1)
    dpkg-deb --fsys-tarfile "$deb" | tar -x -C "$dir/qemu.new" ./usr/bin/qemu-i386 2>/dev/null ||
        { echo "$deb holds no qemu-i386" >&2; return 1; }
    mv "$dir/qemu.new/usr/bin/qemu-i386" "$dir/qemu.new/qemu-i386"
    rm -rf "$dir/qemu.new/usr"
    mv "$dir/qemu.new" "$dir/qemu"
    qemu_good "$q" || { echo "the backports suite's qemu-i386 is older than 8.1" >&2; return 1; }
    echo "$q"
}

. /etc/os-release
codename=${VERSION_CODENAME:-bookworm}
tree_failed=

if native_i386; then
    # A choice that still works is kept: the system's Wine, else the tree.
    runs "$system_wine" && choose system "$system_wine" "the system's wine32:i386"
    if [ -f "$tree/.larkspire-tree" ] && make_tree; then
        write_wrapper native
        runs "$loader" && choose tree "$loader" "a private i386 tree ($tree), run natively"
    fi
    system_wine32 && choose system "$system_wine" "the system's wine32:i386"
    if make_tree; then
        write_wrapper native
        runs "$loader" && choose tree "$loader" "a private i386 tree ($tree), run natively"
        tree_failed="the private i386 tree's Wine does not start"
    fi
    none "neither the system's wine32:i386 nor a private i386 tree can be had: $tree_failed"
fi

# This kernel runs no i386 code: the tree under QEMU.
make_tree || none "this kernel runs no 32-bit code, and no private i386 tree can be had: $tree_failed"
qemu=$(find_qemu 2>"$scratch/qemu.why") ||
    none "this kernel runs no 32-bit code, and no qemu-i386 8.1 or later can be had: $(cat "$scratch/qemu.why")"
write_wrapper qemu "$qemu"
runs "$loader" && choose qemu "$loader" "a private i386 tree ($tree) under QEMU ($("$qemu" --version | head -n 1))"
none "this kernel runs no 32-bit code, and the private i386 tree does not start under $qemu"
