#!/usr/bin/env bash
# Runs the codec fuzz target of the fuzz build (clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) on the corpus the build generated:
#
#   scripts/fuzz.sh --seconds N   explore for N seconds, keeping new inputs in build/fuzz/corpus
#   scripts/fuzz.sh --replay      run the generated files, their damaged copies and the hostile
#                                 files once each: the same inputs every time
#
# Any crash, sanitizer report, input slower than 20 s or memory past 2 GB fails the run; the
# input that did it is saved under build/fuzz/crashes.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/fuzz
fuzzer=$build/tests/convert/kavlor_codec_fuzz
[ -x "$fuzzer" ] || { echo "Build it first: make build-fuzz" >&2; exit 1; }
mkdir -p "$build/crashes"
common=(-timeout=20 -rss_limit_mb=2048 -artifact_prefix="$build/crashes/" -print_final_stats=1)
case "${1:-}" in
    --seconds)
        mkdir -p "$build/corpus"
        exec "$fuzzer" "${common[@]}" -max_total_time="$2" "$build/corpus" "$build/fuzz-start" "$build/fuzz-hostile" ;;
    --replay)
        exec "$fuzzer" "${common[@]}" -runs=0 "$build/fuzz-start" "$build/fuzz-damaged" "$build/fuzz-hostile" ;;
    *)
        echo "usage: $0 --seconds N | --replay" >&2
        exit 2 ;;
esac
