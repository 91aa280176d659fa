#!/usr/bin/env bash
# Checks `make dist` without running Windows programs: two runs for the current commit give
# byte-identical packages, named after the project's version; the zip holds exactly the two
# 32-bit programs, the readme and the licence; the programs and the installer carry that
# version in their version resources. (The installer itself runs in the Wine tests.)
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/kavlor-test-dist.XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

version=$(sed -n 's/^project(Kavlor VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
zip="kavlor-$version-win32.zip"
setup="kavlor-$version-setup.exe"
for run in first second; do
    "$root/scripts/dist.sh" --out "$work/$run" win32 >"$work/$run.log" 2>&1 ||
        { cat "$work/$run.log"; echo "FAILED: make dist"; exit 1; }
done
for file in "$zip" "$setup"; do
    [ -f "$work/first/$file" ] || fail "make dist wrote no $file"
    cmp -s "$work/first/$file" "$work/second/$file" || fail "$file differs between two runs"
done

entries=$(unzip -Z1 "$work/first/$zip" | tr '\n' ' ')
[ "$entries" = "kavlor.exe conversion.dll README.txt LICENSE.txt " ] || fail "zip holds: $entries"
mkdir "$work/unzipped"
unzip -q "$work/first/$zip" -d "$work/unzipped"
grep -q "Kavlor 简化版 $version" "$work/unzipped/README.txt" || fail "the readme names no version $version"

# file, then the version-resource lines it must have.
check_version() {
    local file=$1 shown
    shift
    shown=$(wrestool -x --raw --type=16 "$file" | "$root/scripts/versioninfo.py")
    for line in "fixed=$version.0" "fixedProduct=$version.0" "FileVersion=$version.0" "ProductVersion=$version.0" \
        "ProductName=Kavlor 简化版" "CompanyName=Kavlor" "LegalCopyright=© 2026 Kavlor" "$@"; do
        grep -qxF "$line" <<<"$shown" || fail "$(basename "$file"): no $line in its version resource"
    done
}
check_version "$work/unzipped/kavlor.exe" "OriginalFilename=kavlor.exe" "FileDescription=Kavlor 简化版 截图工具"
check_version "$work/unzipped/conversion.dll" "OriginalFilename=conversion.dll"
check_version "$work/first/$setup" "FileDescription=Kavlor 简化版 安装程序"
for file in "$work/unzipped/kavlor.exe" "$work/unzipped/conversion.dll" "$work/first/$setup"; do
    i686-w64-mingw32-objdump -f "$file" | grep -q 'file format pei-i386' || fail "$(basename "$file") is no 32-bit program"
done
# The released program may use 4 GB of address space, and imports only the system's known DLLs,
# which never load from the program's folder (comctl32 comes from the system's side-by-side store,
# as its manifest asks).
headers=$(i686-w64-mingw32-objdump -p "$work/unzipped/kavlor.exe")
grep -q 'large address aware' <<<"$headers" || fail "kavlor.exe is not large-address-aware"
# Its manifest asks for no elevation (no virtualised writes) and names Vista to Windows 10/11.
manifest=$(wrestool -x --raw --type=24 "$work/unzipped/kavlor.exe")
for part in 'level="asInvoker" uiAccess="false"' e2011457-1546-43c5-a5fe-008deee3d3f0 \
    35138b9a-5d96-4fbd-8e2d-a2440225f93a 4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38 \
    1f676c76-80e1-4239-95bb-83d0f6d0da78 8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a; do
    grep -qF "$part" <<<"$manifest" || fail "kavlor.exe's manifest has no $part"
done
for dll in $(sed -n 's/^\tDLL Name: //p' <<<"$headers" | tr 'A-Z' 'a-z'); do
    case "$dll" in
        advapi32.dll | comctl32.dll | comdlg32.dll | gdi32.dll | kernel32.dll | msvcrt.dll | ole32.dll | \
            oleaut32.dll | shell32.dll | shlwapi.dll | user32.dll) ;;
        *) fail "kavlor.exe imports $dll, which would load from the program's folder first" ;;
    esac
done

if [ $failures -eq 0 ]; then
    echo "make dist: $zip and $setup, identical in two runs, version $version: passed"
fi
[ $failures -eq 0 ]
