#!/usr/bin/env bash
# Runs a command inside a private Wine session: its own Xvfb display (chosen free by Xvfb)
# and a fresh WINEPREFIX that nothing else uses. Only what this script started is stopped.
#
#   scripts/wine-session.sh [--screen WxHxD] [--dpi N] -- command...
#
# The session's display and prefix are exported as DISPLAY and WINEPREFIX to the command.
# --dpi sets the display's logical dpi (what a user sets as the text size; 96 when not given).
set -euo pipefail

screen=1280x1024x24
dpi=""
while [ $# -gt 0 ]; do
    case "$1" in
        --screen) screen=$2; shift 2 ;;
        --dpi) dpi=$2; shift 2 ;;
        --) shift; break ;;
        *) break ;;
    esac
done

session=$(mktemp -d "${TMPDIR:-/tmp}/kavlor-wine.XXXXXX")
xvfb_pid=""
small_disk=""
cleanup() {
    status=$?
    if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
        wineserver -k >/dev/null 2>&1 || true
        wineserver -w >/dev/null 2>&1 || true
    fi
    if [ -n "$small_disk" ]; then
        umount -l "$small_disk" 2>/dev/null || true
    fi
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    rm -rf "$session"
    exit $status
}
trap cleanup EXIT INT TERM

# Xvfb writes the number of the display it chose to the descriptor named by -displayfd.
Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp 3>"$session/display" >"$session/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 1 100); do
    [ -s "$session/display" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || { cat "$session/xvfb.log" >&2; exit 1; }
    sleep 0.1
done
export DISPLAY=":$(head -n1 "$session/display")"

. "$(dirname "$0")/wine-env.sh"
use_runnable_wine "$session/bin"

# A small file system that the tests can fill up, where this user may mount one (root).
if [ "$(id -u)" = 0 ] && mkdir -p "$session/small-disk" &&
    mount -t tmpfs -o size=256k,mode=1777 kavlor-small-disk "$session/small-disk" 2>/dev/null; then
    small_disk="$session/small-disk"
    export KAVLOR_SMALL_DISK="$small_disk"
fi

export WINEPREFIX="$session/prefix"
export WINEDEBUG=-all
# No menu entries of the host desktop for the shortcuts that installers make.
export WINEDLLOVERRIDES="winedbg.exe=d;winemenubuilder.exe=d"
"$(dirname "$0")/wine-prefix.sh"

# Wine 8 takes the dpi from LogPixels under HKCU\Control Panel\Desktop (where winecfg puts it),
# else from HKLM\...\Hardware Profiles\Current\Software\Fonts; HKCU\Software\Wine\Fonts is not
# read for it. Each process reads it when it starts, so it holds for everything run below.
if [ -n "$dpi" ]; then
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
fi

# One wineserver for the whole run: each Wine process then starts in a tenth of a second.
# The first Wine process also starts Wine's background services, which stay up and would
# hold on to that process's output: start them here with output that nobody waits on.
wineserver -p >/dev/null 2>&1 || true
wine cmd /c exit </dev/null >/dev/null 2>&1 || true

"$@"
