#!/usr/bin/env bash
# The whole test suite: host unit tests, then the Windows integration tests of the i686 and
# x86_64 builds, each in a private Wine session on a true-colour display and on a small
# 256-colour display, beside a private CUPS scheduler, after a format check of the sources;
# and the main window's and capture tests once more on a 144-dpi display.
# Ends with CTest's summary of each run and one line totalling them.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
run() {
    echo "== $*"
    "$@" 2>&1 | tee -a "$log"
    [ "${PIPESTATUS[0]}" -eq 0 ] || status=1
}

# The code keeps one format (.clang-format); a change that breaks it fails the suite.
echo "== clang-format --dry-run"
if ! git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror; then
    echo "Some files are not formatted: run clang-format -i on them."
    status=1
fi

# The window layer (base/) lies below the program (app/) and includes nothing of it; nor do the
# codec and conversion.dll, which are built without the program.
if grep -rn '#include "app/' base/ convert/codec/ convert/dll/; then
    echo "base/, convert/codec/ or convert/dll/ include headers of app/: move what they need down, or pass it in."
    status=1
fi

run ctest --preset host
# The codec's fuzz target over the generated files and their damaged copies, the same inputs
# every run (make fuzz explores for longer).
echo "== fuzz"
scripts/fuzz.sh --replay >"$log.fuzz" 2>&1 || { tail -n 30 "$log.fuzz"; status=1; }
grep -E 'INITED|^Done [0-9]+ runs' "$log.fuzz" || true
rm -f "$log.fuzz"

# make dist twice from the last commit: same bytes, the right contents and versions. The
# installer itself runs in the Wine tests (Installer.*) of each build.
echo "== make dist"
scripts/test-dist.sh || status=1

. scripts/wine-env.sh
presets=(mingw32 mingw64)
if ! wine32_runs; then
    echo "== This machine cannot run 32-bit Linux programs, so Wine runs 64-bit programs only:"
    echo "   the i686 build is built, and its Wine tests are left out. Skipped with them: the"
    echo "   32-bit installer's test (its NSIS stub is 32-bit); the 64-bit installer's test runs."
    presets=(mingw64)
fi
# Every Wine session prints on two PDF queues of a private CUPS scheduler.
for preset in "${presets[@]}"; do
    run scripts/cups-session.sh -- scripts/wine-session.sh --screen 1280x1024x24 -- ctest --preset "$preset" -L main
    run scripts/cups-session.sh -- scripts/wine-session.sh --screen 800x600x8 -- ctest --preset "$preset" -L display8
done
# At 144 dpi (text and windows 1.5x) with the first build that runs here; nothing prints in these.
run scripts/wine-session.sh --dpi 144 --screen 1280x1024x24 -- ctest --preset "${presets[0]}" -L dpi144

# "N% tests passed, F tests failed out of T" from every run, added up.
read -r total failedTests < <(awk '/tests failed out of/ {t += $NF; f += $4} END {print t+0, f+0}' "$log")
echo "Total: $((total - failedTests)) passed, $failedTests failed"
exit $status
