#!/usr/bin/env bash
# conversion.dll against cjpeg/djpeg and ImageMagick (bench/conversion_bench.py), with the
# 32-bit build where this machine runs 32-bit Windows programs and the 64-bit build elsewhere.
#
#   scripts/bench-conversion.sh [ROWS]   the benchmark table's rows go to ROWS, or are printed
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
. scripts/wine-env.sh
build=build/${KAVLOR_BENCH_PRESET:-$(runnable_preset "measuring conversion.dll of")}
cmake --build --preset "${build#build/}" --target conversion_bench >/dev/null
scripts/wine-session.sh -- python3 bench/conversion_bench.py "$build" "$@"
