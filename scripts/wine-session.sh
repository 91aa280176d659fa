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
        exec 4>&- 2>/dev/null || true
        wineserver -k >/dev/null 2>&1 || true
        # A server that does not go within half a minute (a process of the session that keeps
        # starting it again) goes with every process of the prefix, so that the session ends.
        if ! timeout 30 wineserver -w >/dev/null 2>&1; then
            echo "wine-session: the Wine processes of $WINEPREFIX did not end; they are killed" >&2
            for pid in $(pgrep -f . 2>/dev/null); do
                if tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX"; then
                    kill -9 "$pid" 2>/dev/null || true
                fi
            done
        fi
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

# Wine closes the desktop, and its explorer.exe, about a second after the last program on it has
# ended; the next program to make a window starts a new explorer.exe, which inherits that
# program's output. Each test is a program of its own, so between two tests this happened again
# and again: ctest then waited for the explorer.exe holding a test's output to end, up to its
# time-out. The desktop is started here, with output that nobody waits on, and kept for the whole
# session by a console program waiting on a pipe that this script holds open, as a user's desktop
# stays while programs come and go.
mkfifo "$session/desktop-keeper"
wine cmd /c pause <"$session/desktop-keeper" >/dev/null 2>&1 &
exec 4>"$session/desktop-keeper"
wine explorer.exe /desktop </dev/null >/dev/null 2>&1 &
for _ in $(seq 1 100); do
    wine cmd /c 'tasklist' 2>/dev/null | grep -qi '^explorer.exe' && break
    sleep 0.1
done

"$@"
