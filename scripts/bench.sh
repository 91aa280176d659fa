#!/usr/bin/env bash
# The whole benchmark as one table: conversion.dll against cjpeg/djpeg and ImageMagick, then the
# benchmark program in a private Wine session on a 1920x1080 display beside a private CUPS
# scheduler (for the print figures), with the whole `xwd -root` command timed on that display.
# Prints the table and writes it as Markdown to build/bench/bench.md. Runs the 32-bit build, or
# the 64-bit one where 32-bit programs cannot run; KAVLOR_BENCH_PRESET=mingw64 (or mingw32)
# chooses.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/wine-env.sh"
preset=${KAVLOR_BENCH_PRESET:-$(runnable_preset measuring)}
if [ "$preset" = mingw64 ]; then
    cmake --preset mingw64 >/dev/null
    cmake --build --preset mingw64 --target kavlor_bench
fi
out="$root/build/bench"
mkdir -p "$out"
rows="$out/rows.tsv"
facts="$out/machine.tsv"
: >"$rows"
printf 'Build\t%s\n' "$([ "$preset" = mingw32 ] && echo 32-bit || echo 64-bit)" >"$facts"
# Other work on the machine spreads the figures: its load is part of the record.
printf 'Load average at the start\t%s\n' "$(cut -d' ' -f1-3 /proc/loadavg)" >>"$facts"

echo "Timing conversion.dll, cjpeg/djpeg and ImageMagick..."
"$root/scripts/bench-conversion.sh" "$rows"

echo "Timing the program under Wine on a 1920x1080 display..."
# xwd, ImageMagick and cjpeg are timed from here rather than started by the program: from inside
# Wine the end of a Linux program cannot be waited for through its process handle (the print
# tests wait for a file it writes last), and Wine's own start of it would be added. The figures go
# to the program by name, which puts each beside its own figure in the same row.
"$root/scripts/cups-session.sh" -- "$root/scripts/wine-session.sh" --screen 1920x1080x24 -- bash -c '
    set -euo pipefail
    root=$1 preset=$2 rows=$3 facts=$4
    printf "Wine\t%s\n" "$(wine --version)" >>"$facts"
    printf "Display\tXvfb %s, depth %s\n" "$(xdpyinfo | awk "/dimensions:/ {print \$2; exit}")" \
        "$(xdpyinfo | awk "/depth of root window:/ {print \$5; exit}")" >>"$facts"
    time_ms() { python3 "$root/bench/bench_table.py" time "$@"; }
    outside=("xwd=$(time_ms 20 -- xwd -root -silent -out /dev/null)")
    # The pictures the program saves, for ImageMagick and cjpeg to write as PNG and JPEG here.
    pictures=$(mktemp -d "${TMPDIR:-/tmp}/kavlor-save-bench.XXXXXX")
    wine "$root/build/$preset/bench/kavlor_bench.exe" --pictures "Z:${pictures//\//\\}"
    for key in screen photo; do
        bmp=$pictures/${key^^}.BMP
        outside+=("convert-$key=$(time_ms 5 -- convert "$bmp" "$pictures/m.png")")
        outside+=("cjpeg-$key=$(time_ms 5 -- cjpeg -quality 90 -sample 1x1 -outfile "$pictures/c.jpg" "$bmp")")
        outside+=("cjpeg-$key-kb=$(($(stat -c %s "$pictures/c.jpg") / 1024))")
    done
    rm -rf "$pictures"
    wine "$root/build/$preset/bench/kavlor_bench.exe" "Z:${rows//\//\\}" "${outside[@]}"
' _ "$root" "$preset" "$rows" "$facts"

python3 "$root/bench/bench_table.py" table "$rows" "$facts" "$out/bench.md"
