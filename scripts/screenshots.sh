#!/usr/bin/env bash
# The README's pictures of the real windows: tests/screenshots drives them in a private Wine
# session on a 1280x1024 display and cuts each from the screen; they land as PNG files in
# docs/screenshots/. Uses the 64-bit build, which runs on every machine with Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cmake --preset mingw64 >/dev/null
cmake --build --preset mingw64 --target kavlor_screenshots
out="$root/docs/screenshots"
mkdir -p "$out"
work=$(mktemp -d "${TMPDIR:-/tmp}/kavlor-screenshots.XXXXXX")
trap 'rm -rf "$work"' EXIT

"$root/scripts/wine-session.sh" --screen 1280x1024x24 -- \
    wine "$root/build/mingw64/tests/kavlor_screenshots.exe" "Z:${work//\//\\}"
shots=("$work"/*.bmp)
if [ ! -e "${shots[0]}" ]; then
    echo "No pictures were made." >&2
    exit 1
fi
for bmp in "${shots[@]}"; do
    name=$(basename "$bmp" .bmp)
    # The unused fourth byte of 32-bit pixels is no transparency; no time stamps in the files.
    convert "$bmp" -alpha off -strip -define png:exclude-chunks=date,time "$out/$name.png"
    echo "docs/screenshots/$name.png"
done
