#!/bin/sh
# Installs what building and testing Larkspire needs on a Debian machine:
# the MinGW-w64 cross compilers, Wine, Xvfb, Wine's own fonts (so that dialogs
# get its MS Sans Serif), GoogleTest's sources, CMake and NSIS (makensis,
# which builds the setup program); then finds a 32-bit Wine for the shipped
# build (scripts/wine32-setup.sh). Safe to run again: it installs only what
# is missing, and a run that was interrupted is finished by the next.
#
# A package mirror can be mid-sync: an `apt-get update` that fails for some
# index is tried again, then taken as a warning as long as the packages that
# are needed can still be had from the lists there are. A package that cannot
# be had stops it with exit code 1 and one line naming it.
set -eu
cd "$(dirname "$0")/.."
. scripts/apt-common.sh

packages="cmake make g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine64 xvfb xauth x11-apps
          imagemagick googletest python3 psmisc fonts-wine nsis"
need=
for p in $packages; do
    installed "$p" || need="$need $p"
done

if [ -n "$need" ]; then
    say "installing$need"
    finish_interrupted_dpkg
    apt_update_system
    LS_APT_UPDATED=1
    export LS_APT_UPDATED
    installable $need || die "cannot install $not_installable${update_failed:+ (apt-get update failed for $update_failed)}"
    if ! DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $need \
            >"$scratch/install.log" 2>&1; then
        die "apt-get install failed: $(last_error "$scratch/install.log")"
    fi
    for p in $need; do
        installed "$p" || die "cannot install $p: apt-get left it uninstalled"
    done
fi

scripts/wine32-setup.sh
