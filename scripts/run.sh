#!/bin/sh
# Installs Larkspire into a Wine prefix of its own (build/run/prefix) with its
# setup program, silently, and starts the Agent on a Wine desktop window of its
# own, where it performs its start-up run and stays in the notification area
# until you choose "Exit" from its menu. "Configure Agent..." there opens the
# settings applet.
#
#   scripts/run.sh [--background] [--arch i686|x86_64] [--root FOLDER]
#   scripts/run.sh --setup [--arch i686|x86_64] [--root FOLDER]
#   scripts/run.sh --stop [--root FOLDER]
#
#   --background  start the Agent and return; FOLDER/env then holds the
#                 environment of the run (DISPLAY, WINEPREFIX, ...) and
#                 --stop ends it
#   --setup       run the setup program interactively on the Wine desktop
#                 instead (its questions and the introduction wizard included)
#   --stop        end a run started with --background
#   --arch        the build to run (default i686 where 32-bit Wine runs, else
#                 x86_64): under the 32-bit Wine scripts/setup.sh found
#   --root        where the prefix and the run's home folder live (default build/run)
#
# Uses your display when there is one, else a virtual one (Xvfb) that every
# Wine process of the run shares: Wine's desktop process is started once per
# server, and windows of programs started later on another display fail.
set -eu
cd "$(dirname "$0")/.."
repo=$PWD
mode=foreground
arch=
root=$repo/build/run
while [ $# -gt 0 ]; do
    case $1 in
    --background) mode=background ;;
    --stop) mode=stop ;;
    --setup) mode=setup ;;
    --arch) arch=$2; shift ;;
    --root) root=$2; shift ;;
    *) echo "usage: $0 [--background | --setup | --stop] [--arch i686|x86_64] [--root folder]" >&2; exit 2 ;;
    esac
    shift
done
case $root in /*) ;; *) root=$repo/$root ;; esac
desktop=Larkspire,1024x768

# The run's own Xvfb, when it made one, and the prefix's Wine server.
stop_run() {
    if [ -d "$root/prefix" ]; then
        WINEPREFIX="$root/prefix" /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
    fi
    if [ -f "$root/xvfb.pid" ]; then
        kill "$(cat "$root/xvfb.pid")" 2>/dev/null || true
        rm -f "$root/xvfb.pid"
    fi
    rm -f "$root/env"
}
if [ "$mode" = stop ]; then
    stop_run
    exit 0
fi

scripts/setup.sh
. scripts/wine32.sh
if [ -z "$arch" ]; then
    if [ -n "$wine32_loader" ]; then
        arch=i686
    else
        arch=x86_64
        echo "run: cannot run 32-bit Wine here ($wine32_why); running the x86_64 build of the same sources"
    fi
fi
case $arch in
i686)
    wine=$wine32_loader
    [ -n "$wine" ] || { echo "run: cannot run 32-bit Wine here ($wine32_why)" >&2; exit 1; }
    ;;
x86_64) wine=/usr/lib/wine/wine64 ;;
*) echo "run: no such build: $arch" >&2; exit 2 ;;
esac
scripts/build.sh "$arch"

mkdir -p "$root"
stop_run # a server left from an earlier run may know another display
export WINEPREFIX="$root/prefix"
export HOME="$root/home"                      # the Recycle Bin: $HOME/.local/share/Trash
export XDG_DATA_HOME="$HOME/.local/share" XDG_CONFIG_HOME="$HOME/.config" XDG_CACHE_HOME="$HOME/.cache"
export WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d'
[ "$arch" = x86_64 ] && export WINELOADER="$wine"
mkdir -p "$XDG_DATA_HOME"

if [ -z "${DISPLAY:-}" ]; then
    # (A number left by an earlier run must not be read before this
    # server's own arrives.)
    rm -f "$root/display"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$root/display" </dev/null >/dev/null 2>&1 &
    echo $! >"$root/xvfb.pid"
    # The number arrives as a line once the server listens; wait for all of it.
    for _ in $(seq 100); do
        grep -qx '[0-9][0-9]*' "$root/display" 2>/dev/null && break
        sleep 0.1
    done
    grep -qx '[0-9][0-9]*' "$root/display" 2>/dev/null ||
        { echo "run: Xvfb did not start" >&2; stop_run; exit 1; }
    export DISPLAY=":$(cat "$root/display")"
    echo "run: no display; using a virtual one ($DISPLAY)"
fi
cat >"$root/env" <<EOF
export DISPLAY='$DISPLAY' WINEPREFIX='$WINEPREFIX' HOME='$HOME' XDG_DATA_HOME='$XDG_DATA_HOME'
export XDG_CONFIG_HOME='$XDG_CONFIG_HOME' XDG_CACHE_HOME='$XDG_CACHE_HOME' WINEDEBUG='$WINEDEBUG'
export WINEDLLOVERRIDES='$WINEDLLOVERRIDES' WINE='$wine' LARKSPIRE_DESKTOP='${desktop%%,*}'
EOF
[ "$arch" = x86_64 ] && echo "export WINELOADER='$wine'" >>"$root/env"
if [ "$mode" = foreground ] || [ "$mode" = setup ]; then
    trap stop_run EXIT
    trap 'exit 130' INT TERM
fi

if [ ! -d "$WINEPREFIX" ]; then
    [ "$arch" = i686 ] && export WINEARCH=win32
    "$wine" wineboot -i </dev/null >/dev/null 2>&1
    unset WINEARCH
fi
# Wine's own fonts (fonts-wine) are found only in the prefix's Fonts folder:
# without them dialogs asking for MS Sans Serif get a wider font.
if [ -d /usr/share/wine/fonts ] && [ ! -f "$WINEPREFIX/drive_c/windows/Fonts/sserife.fon" ]; then
    cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
fi
wine() { "$wine" "$@" </dev/null >/dev/null 2>&1; }

# Install with the setup program, silently, as an administrator would; then
# enable every component for the user with the options on, as the
# introduction wizard's Finish does.
case $arch in i686) package=Larkspire-Setup.exe ;; *) package=Larkspire-Setup-x64.exe ;; esac
package="Z:$(printf '%s' "$repo/build/$arch/package/$package" | tr / '\\')"
if [ "$mode" = setup ]; then
    # The whole interactive setup on the Wine desktop: its folder page, the
    # Startup question, the introduction wizard and the offer to start the Agent.
    echo "run: starting the setup program on the Wine desktop; the run ends when the desktop closes"
    "$wine" explorer "/desktop=$desktop" "$package" </dev/null >/dev/null 2>&1 || true
    exit 0
fi
if ! "$wine" "$package" /S </dev/null >/dev/null 2>&1; then
    echo "run: the setup program failed" >&2
    exit 1
fi
wine reg add 'HKCU\Software\Quenlow\Larkspire' /v Recycle /t REG_DWORD /d 1 /f
wine reg add 'HKCU\Software\Quenlow\Larkspire' /v RemoveFolders /t REG_DWORD /d 1 /f
for component in 'Windows Temporary Files' 'Other Folders' 'Netscape Browser' 'Internet Explorer Browser' \
                 'Web Browser Caches'; do
    wine reg add "HKCU\\Software\\Quenlow\\Larkspire\\Components\\$component" /v Enabled /t REG_DWORD /d 1 /f
done

temp="$WINEPREFIX/drive_c/users/$(id -un)/Temp"
mkdir -p "$temp"
echo "run: the Agent's temporary folder is $temp"
echo "run: removed files go to $XDG_DATA_HOME/Trash/files"
# A Wine desktop window, so that windows get frames and title bars and the
# tray icon a taskbar, as on Windows.
agent='C:\Program Files\Larkspire\Agent.exe'
if [ "$mode" = background ]; then
    "$wine" explorer "/desktop=$desktop" "$agent" </dev/null >/dev/null 2>&1 &
    echo "run: the Agent runs on the Wine desktop \"${desktop%%,*}\" ($DISPLAY); end it with: $0 --stop --root $root"
    exit 0
fi
echo "run: starting the Agent; right-click its icon in the notification area for its menu"
"$wine" explorer "/desktop=$desktop" "$agent" </dev/null >/dev/null 2>&1 || true
