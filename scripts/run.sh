#!/usr/bin/env bash
# Builds kavlor.exe with conversion.dll and starts it under Wine: on the current display when
# there is one, otherwise on a private virtual display, where it saves a screenshot of the main
# window and stops. Builds only the flavour that runs here: the 32-bit release where this machine
# runs 32-bit programs, the 64-bit build elsewhere.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/wine-env.sh"
preset=$(runnable_preset "starting Kavlor from")
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target kavlor conversion
exe="$root/build/$preset/app/kavlor.exe"
use_runnable_wine "$root/build/wine-bin"
shot="$root/build/kavlor-screenshot.png"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    # A prefix of Kavlor's own, so that the user's Wine set-up is left as it is.
    export WINEPREFIX="${KAVLOR_WINEPREFIX:-${XDG_DATA_HOME:-$HOME/.local/share}/kavlor/wine}"
    mkdir -p "$(dirname "$WINEPREFIX")"
    echo "Preparing the Wine prefix $WINEPREFIX (only the first time takes a while)..."
    "$root/scripts/wine-prefix.sh"
    export WINEDEBUG=-all
    exec wine "$exe"
fi

echo "No display: starting Kavlor on a virtual display."
"$root/scripts/wine-session.sh" --screen 1024x768x24 -- bash -c '
    wine "$1" </dev/null >/dev/null 2>&1 &
    for _ in $(seq 1 150); do
        id=$(xwininfo -root -tree 2>/dev/null | grep -F "Kavlor 简化版" | awk "{print \$1}" | head -n1)
        [ -n "$id" ] && break
        sleep 0.2
    done
    if [ -z "${id:-}" ]; then echo "The main window did not appear." >&2; exit 1; fi
    sleep 2   # let the window finish painting before the picture is taken
    xwd -silent -id "$id" | python3 "$3" "$2"
    echo "Kavlor started; a screenshot of its main window is in $2"
' _ "$exe" "$shot" "$root/scripts/xwd2png.py"
