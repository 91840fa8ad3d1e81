#!/bin/sh
# Installs Larkspire into a Wine prefix of its own (build/run/prefix) the way
# an installation does, and starts the Agent, which performs its start-up run
# and stays in the notification area until you choose "Exit" from its menu.
# Uses your display when there is one, else a virtual one.
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    arch=i686; wine=/usr/lib/wine/wine
else
    arch=x86_64; wine=/usr/lib/wine/wine64
    echo "run: this machine cannot run 32-bit Wine; running the x86_64 build of the same sources"
fi
scripts/build.sh "$arch"

root="$PWD/build/run"
export WINEPREFIX="$root/prefix"
export HOME="$root/home"                      # the Recycle Bin: $HOME/.local/share/Trash
export XDG_DATA_HOME="$HOME/.local/share" XDG_CONFIG_HOME="$HOME/.config" XDG_CACHE_HOME="$HOME/.cache"
export WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d'
[ "$arch" = x86_64 ] && export WINELOADER="$wine"
mkdir -p "$XDG_DATA_HOME"
if [ ! -d "$WINEPREFIX" ]; then
    [ "$arch" = i686 ] && export WINEARCH=win32
    "$wine" wineboot -i >/dev/null 2>&1
    unset WINEARCH
fi
wine() { "$wine" "$@" </dev/null >/dev/null 2>&1; }

# Install: copy the deliverables, register the component server, and enable
# every component for the user with the options on, as the introduction
# wizard's Finish does.
install="$WINEPREFIX/drive_c/Program Files/Larkspire"
mkdir -p "$install"
cp "build/$arch/bin/"*.dll "build/$arch/bin/"*.exe "$install/"
wine regsvr32 /s 'C:\Program Files\Larkspire\LSCleaners.dll'
wine reg add 'HKCU\Software\Quenlow\Larkspire' /v Recycle /t REG_DWORD /d 1 /f
wine reg add 'HKCU\Software\Quenlow\Larkspire' /v RemoveFolders /t REG_DWORD /d 1 /f
for component in 'Windows Temporary Files' 'Other Folders' 'Netscape Browser' 'Internet Explorer Browser'; do
    wine reg add "HKCU\\Software\\Quenlow\\Larkspire\\Components\\$component" /v Enabled /t REG_DWORD /d 1 /f
done

temp="$WINEPREFIX/drive_c/users/$(id -un)/Temp"
mkdir -p "$temp"
echo "run: the Agent's temporary folder is $temp"
echo "run: removed files go to $XDG_DATA_HOME/Trash/files"
echo "run: starting the Agent; right-click its icon in the notification area for its menu"
status=0
if [ -n "${DISPLAY:-}" ]; then
    "$wine" 'C:\Program Files\Larkspire\Agent.exe' || status=$?
else
    xvfb-run -a -s "-screen 0 1024x768x24" "$wine" 'C:\Program Files\Larkspire\Agent.exe' || status=$?
fi
"$(dirname "$wine")/wineserver" -k >/dev/null 2>&1 || true
exit $status
