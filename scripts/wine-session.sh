#!/usr/bin/env bash
# Runs a command inside a private Wine session: its own X display (Xvfb's, or Xorg's for two
# monitors, on a display number the server chooses free) and a fresh WINEPREFIX that nothing else
# uses. Only what this script started is stopped.
#
#   scripts/wine-session.sh [--screen WxHxD | --two-monitors] [--dpi N] -- command...
#
# The session's display and prefix are exported as DISPLAY and WINEPREFIX to the command.
# --dpi sets the display's logical dpi (what a user sets as the text size; 96 when not given).
# --two-monitors runs Xorg with the dummy video driver instead of Xvfb (whose heads all lie at
# 0,0): a 1280x1024 primary monitor and a 1024x768 one on its left, at negative x. Only root can
# start Xorg so; where it cannot start, the script says why in one line and exits with 77.
set -euo pipefail

screen=1280x1024x24
dpi=""
two_monitors=""
while [ $# -gt 0 ]; do
    case "$1" in
        --screen) screen=$2; shift 2 ;;
        --dpi) dpi=$2; shift 2 ;;
        --two-monitors) two_monitors=1; shift ;;
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

skip() {
    echo "Two monitors: $1; the session is skipped." >&2
    exit 77
}
if [ -n "$two_monitors" ]; then
    [ "$(id -u)" = 0 ] || skip "Xorg with the dummy driver starts only as root"
    command -v Xorg >/dev/null && [ -f /usr/lib/xorg/modules/drivers/dummy_drv.so ] ||
        skip "Xorg or its dummy video driver is not installed (scripts/install-deps.sh installs them)"
    mkdir "$session/xorg.conf.d"
    cat >"$session/xorg.conf" <<'EOF'
Section "ServerFlags"
    Option "AutoAddDevices" "false"
    Option "DontVTSwitch" "true"
EndSection
Section "Device"
    Identifier "dummy"
    Driver "dummy"
    VideoRam 65536
EndSection
Section "Monitor"
    Identifier "monitor"
    HorizSync 5.0 - 1000.0
    VertRefresh 5.0 - 200.0
    Modeline "1280x1024" 108.00 1280 1328 1440 1688 1024 1025 1028 1066 +hsync +vsync
    Modeline "1024x768" 65.00 1024 1048 1184 1344 768 771 777 806 -hsync -vsync
EndSection
Section "Screen"
    Identifier "screen"
    Device "dummy"
    Monitor "monitor"
    DefaultDepth 24
    SubSection "Display"
        Depth 24
        Virtual 2304 1024
        Modes "1280x1024"
    EndSubSection
EndSection
EOF
    # Xorg, like Xvfb, writes the number of the display it chose to the -displayfd descriptor.
    Xorg -displayfd 3 -config "$session/xorg.conf" -configdir "$session/xorg.conf.d" -noreset -nolisten tcp \
        -novtswitch -sharevts -logfile "$session/xorg.log" 3>"$session/display" >"$session/xorg.out" 2>&1 &
else
    # Xvfb writes the number of the display it chose to the descriptor named by -displayfd.
    Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp 3>"$session/display" >"$session/xvfb.log" 2>&1 &
fi
xvfb_pid=$!
for _ in $(seq 1 100); do
    [ -s "$session/display" ] && break
    if ! kill -0 "$xvfb_pid" 2>/dev/null; then
        [ -z "$two_monitors" ] || skip "Xorg did not start ($(grep -m1 '(EE)' "$session/xorg.log" 2>/dev/null ||
            tail -n1 "$session/xorg.out"))"
        cat "$session/xvfb.log" >&2
        exit 1
    fi
    sleep 0.1
done
if [ ! -s "$session/display" ]; then
    [ -z "$two_monitors" ] || skip "Xorg chose no display within 10 s"
    echo "wine-session: Xvfb chose no display within 10 s" >&2
    exit 1
fi
export DISPLAY=":$(head -n1 "$session/display")"
if [ -n "$two_monitors" ]; then
    { xrandr --addmode DUMMY1 1024x768 && xrandr --output DUMMY1 --mode 1024x768 --left-of DUMMY0; } ||
        skip "xrandr could not add the second monitor"
fi

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
# Measured: started so, Wine reports the first monitor alone until the X server's outputs are
# probed once more after its desktop is up; the change that the probe announces makes Wine's
# desktop take both monitors.
if [ -n "$two_monitors" ]; then
    xrandr >/dev/null
fi

"$@"
