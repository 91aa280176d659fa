#!/usr/bin/env bash
# Runs the codec fuzz target of the fuzz build (clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) from the seed corpus the build generated:
#
#   scripts/fuzz.sh --seconds N   explore for N seconds, keeping new inputs in build/fuzz/corpus
#   scripts/fuzz.sh --runs N      a short, repeatable run of N inputs (same seed every time)
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
        exec "$fuzzer" "${common[@]}" -max_total_time="$2" "$build/corpus" "$build/fuzz-seeds" ;;
    --runs)
        # Seeds only, fixed random seed: the same inputs on every run.
        exec "$fuzzer" "${common[@]}" -seed=1 -runs="$2" "$build/fuzz-seeds" ;;
    *)
        echo "usage: $0 --seconds N | --runs N" >&2
        exit 2 ;;
esac
