#!/usr/bin/env bash
# Creates and configures the Wine prefix named by WINEPREFIX, once: unmanaged windows (there may
# be no window manager), Marlett for the caption buttons, and a CJK font behind the interface
# fonts so that the Chinese captions show instead of boxes.
set -euo pipefail
: "${WINEPREFIX:?WINEPREFIX must name the prefix}"
# (A prefix made before Marlett was added gets the rest of the set-up again.)
[ -f "$WINEPREFIX/.kavlor-ready" ] && [ -f "$WINEPREFIX/drive_c/windows/Fonts/marlett.ttf" ] && exit 0

export WINEDEBUG=-all
# No Mono or Gecko installers while the prefix is made.
export WINEDLLOVERRIDES="winedbg.exe=d;mscoree=d;mshtml=d"
wineboot -i >/dev/null 2>&1
# This Wine does not load the fonts of its own data folder: without Marlett in the prefix the
# caption buttons show its letter codes ("0 1 r") instead of their glyphs.
cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"

reg() { wine reg add "$@" /f >/dev/null 2>&1; }
# Without a window manager Wine waits for every hidden dialog unless windows are unmanaged.
reg 'HKCU\Software\Wine\X11 Driver' /v Managed /d N
link='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink'
for face in "Tahoma" "Microsoft Sans Serif" "MS Shell Dlg" "MS Shell Dlg 2" "Segoe UI"; do
    reg "$link" /v "$face" /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei'
done
for face in "SimSun" "宋体" "NSimSun"; do
    reg 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /d 'WenQuanYi Micro Hei'
done
wineserver -w
touch "$WINEPREFIX/.kavlor-ready"
