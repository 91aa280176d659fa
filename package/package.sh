#!/usr/bin/env bash
# Writes the release packages of one build into OUT: kavlor-VERSION-ARCH.zip (both programs,
# the readme, the licence) and the installer (NSIS): kavlor-VERSION-setup.exe for win32,
# kavlor-VERSION-win64-setup.exe for win64.
#
#   package/package.sh --arch win32|win64 --version X.Y.Z --exe kavlor.exe --dll conversion.dll --out DIR
#                      [--notice NAME=FILE]...
#
# Each notice is the licence of a library compiled into the programs, added to LICENSE.txt
# under the library's name.
#
# Every file gets the same time (SOURCE_DATE_EPOCH, else the last commit's), the zip stores no
# owner or extra times, and the order is fixed: the same inputs give the same bytes.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
notices=()
while [ $# -gt 0 ]; do
    case "$1" in
        --arch) arch=$2 ;;
        --version) version=$2 ;;
        --exe) exe=$2 ;;
        --dll) dll=$2 ;;
        --out) out=$2 ;;
        --notice) notices+=("$2") ;;
        *) echo "unknown argument $1" >&2; exit 2 ;;
    esac
    shift 2
done
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    SOURCE_DATE_EPOCH=$(git -C "$here" log -1 --format=%ct 2>/dev/null || echo 1780000000)
fi
export TZ=UTC LC_ALL=C

stage="$out/stage-$arch"
rm -rf "$stage"
mkdir -p "$stage"
install -m 644 "$exe" "$stage/kavlor.exe"
install -m 644 "$dll" "$stage/conversion.dll"
# Text files for Notepad: UTF-8 with a byte-order mark, CRLF line ends.
crlf() { { printf '\357\273\277'; sed -e "s/@VERSION@/$version/g" -e 's/$/\r/' "$1"; } >"$2"; }
crlf "$here/README.txt" "$stage/README.txt"
{
    cat "$here/../LICENSE"
    for notice in "${notices[@]}"; do
        printf '\n\n%s\n\n' "Kavlor includes ${notice%%=*}, under this licence:"
        cat "${notice#*=}"
    done
} >"$stage/LICENSE.in"
crlf "$stage/LICENSE.in" "$stage/LICENSE.txt"
rm "$stage/LICENSE.in"
install -m 644 "$here/../res/kavlor.ico" "$stage/kavlor.ico"
chmod 644 "$stage"/*
touch -d "@$SOURCE_DATE_EPOCH" "$stage"/*

zipName="kavlor-$version-$arch.zip"
rm -f "$out/$zipName"
(cd "$stage" && zip -q -X -D "$out/$zipName" kavlor.exe conversion.dll README.txt LICENSE.txt)
touch -d "@$SOURCE_DATE_EPOCH" "$out/$zipName"

if [ "$arch" = win32 ]; then setupName="kavlor-$version-setup.exe"; else setupName="kavlor-$version-$arch-setup.exe"; fi
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DARCH="$arch" -DSTAGE="$stage" \
    -DOUTFILE="$out/$setupName" "$here/kavlor.nsi" >"$out/makensis-$arch.log" ||
    { cat "$out/makensis-$arch.log" >&2; exit 1; }
touch -d "@$SOURCE_DATE_EPOCH" "$out/$setupName"
