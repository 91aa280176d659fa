#!/usr/bin/env bash
# make dist: the release packages of the current commit, built from a clean export of it in a
# fresh build folder, into dist/ (or OUT):
#
#   scripts/dist.sh [--out OUT] [win32] [win64]
#
# win32 (the release, the default) gives kavlor-VERSION-win32.zip and kavlor-VERSION-setup.exe;
# win64 the same for 64-bit Windows (kavlor-VERSION-win64.zip, kavlor-VERSION-win64-setup.exe).
# Uncommitted changes are not in the packages. Times come from the commit and paths from
# nowhere, so two runs for one commit give the same bytes.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/dist"
arches=()
while [ $# -gt 0 ]; do
    case "$1" in
        --out) out=$2; shift 2 ;;
        win32 | win64) arches+=("$1"); shift ;;
        *) echo "unknown argument $1" >&2; exit 2 ;;
    esac
done
[ ${#arches[@]} -gt 0 ] || arches=(win32)
mkdir -p "$out"
out=$(cd "$out" && pwd)

if [ -n "$(git -C "$root" status --porcelain --untracked-files=no)" ]; then
    echo "Note: uncommitted changes are left out; the packages hold the last commit."
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/kavlor-dist.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/src"
git -C "$root" archive --format=tar HEAD | tar -x -C "$work/src"
export SOURCE_DATE_EPOCH
SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct)
# The third-party sources are fetched once into the working tree's build folder.
jpeg=$("$root/scripts/fetch-source.sh" "$root/build/third_party" libjpeg-turbo jpeglib.h)
deflate=$("$root/scripts/fetch-source.sh" "$root/build/third_party" libdeflate libdeflate.h)

for arch in "${arches[@]}"; do
    case "$arch" in
        win32) toolchain=mingw-i686.cmake ;;
        win64) toolchain=mingw-x86_64.cmake ;;
    esac
    build="$work/build-$arch"
    cmake -S "$work/src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$work/src/cmake/$toolchain" \
        -DKAVLOR_LIBJPEG_TURBO_SOURCE_DIR="$jpeg" -DKAVLOR_LIBDEFLATE_SOURCE_DIR="$deflate" >"$work/configure-$arch.log" ||
        { cat "$work/configure-$arch.log" >&2; exit 1; }
    cmake --build "$build" --target kavlor_package >"$work/build-$arch.log" ||
        { tail -n 40 "$work/build-$arch.log" >&2; exit 1; }
    for file in "$build"/package/kavlor-*.zip "$build"/package/kavlor-*-setup.exe; do
        cp -p "$file" "$out/"
        echo "$out/$(basename "$file")"
    done
done
