#!/bin/sh
# Installs what building and testing Larkspire needs on a Debian machine:
# the MinGW-w64 cross compilers, Wine (32-bit where the kernel can run it),
# Xvfb, Wine's own fonts (so that dialogs get its MS Sans Serif), GoogleTest's
# sources, CMake and NSIS (makensis, which builds the setup program). Safe to
# run again: it installs only what is missing.
set -eu

SUDO=
[ "$(id -u)" -eq 0 ] || SUDO=sudo

need=
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'ok installed'; }
for p in cmake make g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine64 wine32:i386 \
         xvfb xauth x11-apps imagemagick googletest python3 psmisc fonts-wine nsis; do
    have "$p" || need="$need $p"
done
[ -z "$need" ] && exit 0

echo "setup: installing$need"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
fi
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $need >/dev/null
