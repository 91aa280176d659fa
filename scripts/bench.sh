#!/usr/bin/env bash
# The benchmark program in a private Wine session, beside a private CUPS scheduler for the
# print figures. Runs the 32-bit build, or the 64-bit one where 32-bit programs cannot run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/wine-env.sh"
preset=mingw32
if ! wine32_runs; then
    echo "This machine cannot run 32-bit Linux programs: measuring the 64-bit build."
    preset=mingw64
    cmake --preset mingw64 >/dev/null
    cmake --build --preset mingw64 --target kavlor_bench
fi
exec "$root/scripts/cups-session.sh" -- "$root/scripts/wine-session.sh" -- \
    wine "$root/build/$preset/bench/kavlor_bench.exe"
