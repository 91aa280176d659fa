#!/usr/bin/env bash
# The whole test suite: a format and layer check of the sources, the host unit tests and the
# codec's fuzz replay, the release packages, then the Windows integration tests of the i686 and
# x86_64 builds under Wine. Each build runs its sessions one after the other, each in a private
# Wine session beside a private CUPS scheduler: a true-colour display, a small 256-colour display,
# the main window's and capture tests once more at 144 dpi, and the capture tests at 192 dpi. The
# two builds run side by side.
# Where this kernel cannot run 32-bit programs, the i686 sessions run under qemu-i386 in a user
# namespace of their own (scripts/wine32-namespace.py); where that cannot work either, they are
# left out, saying why. Ends with each session's time and counts, and one line totalling them.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

work=$(mktemp -d "${TMPDIR:-/tmp}/kavlor-test.XXXXXX")
trap 'rm -rf "$work"' EXIT
status=0

# A step of the suite: its output goes to its own log and to the terminal, each line marked with
# the step's name (two builds' sessions print side by side); its time and result are recorded.
step() {
    local name=$1
    shift
    local start=$SECONDS
    echo "== $name: $*"
    "$@" 2>&1 | tee "$work/$name.log" | sed -u "s/^/[$name] /"
    echo "${PIPESTATUS[0]}" $((SECONDS - start)) >"$work/$name.result"
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

step host ctest --preset host
# The codec's fuzz target over the generated files and their damaged copies, the same inputs
# every run (make fuzz explores for longer).
echo "== fuzz"
scripts/fuzz.sh --replay >"$work/fuzz.out" 2>&1 || { tail -n 30 "$work/fuzz.out"; status=1; }
grep -E 'INITED|^Done [0-9]+ runs' "$work/fuzz.out" || true

# make dist twice from the last commit: same bytes, the right contents and versions. The
# installer itself runs in the Wine tests (Installer.*) of each build.
step dist scripts/test-dist.sh

# The Wine sessions of one build, one after the other; every session with a printer prints on
# two PDF queues of a private CUPS scheduler. `$launch` runs in front of each (the namespace of
# the i686 build where this kernel cannot run it). Under emulation programs run two to three
# times as slowly: KAVLOR_TIME_SCALE stretches the tests' waits (tests/win/TestSupport_win.h)
# and each test's time limit, never what they check.
wine_sessions() {
    local preset=$1 scale=$2 launch=("${@:3}")
    local ctest=(env KAVLOR_TIME_SCALE="$scale" ctest --preset "$preset" --timeout $((180 * scale)))
    step "$preset-main" "${launch[@]}" scripts/cups-session.sh -- \
        scripts/wine-session.sh --screen 1280x1024x24 -- "${ctest[@]}" -L main
    step "$preset-display8" "${launch[@]}" scripts/cups-session.sh -- \
        scripts/wine-session.sh --screen 800x600x8 -- "${ctest[@]}" -L display8
    # At 144 dpi (text and windows 1.5x), and the captures at 192 dpi, where a pixel is 7.5 twips;
    # nothing prints in these.
    step "$preset-dpi144" "${launch[@]}" \
        scripts/wine-session.sh --dpi 144 --screen 1280x1024x24 -- "${ctest[@]}" -L dpi144
    step "$preset-dpi192" "${launch[@]}" \
        scripts/wine-session.sh --dpi 192 --screen 1280x1024x24 -- "${ctest[@]}" -L dpi192
}

sessions=()
if how=$(scripts/wine32-namespace.py --check 2>&1); then
    scale=1
    if [ "$how" = namespace ]; then
        echo "== This kernel cannot run 32-bit programs: the i686 build's Wine sessions run under qemu-i386."
        scale=3
    fi
    wine_sessions mingw32 $scale scripts/wine32-namespace.py -- &
    sessions+=(mingw32-main mingw32-display8 mingw32-dpi144 mingw32-dpi192)
else
    echo "== The i686 build's Wine tests are left out: $how."
    echo "   Skipped with them: the 32-bit installer's test (its NSIS stub is 32-bit)."
fi
wine_sessions mingw64 1 &
sessions+=(mingw64-main mingw64-display8 mingw64-dpi144 mingw64-dpi192)
wait

summary() {
    local name=$1
    [ -f "$work/$name.result" ] || { echo "$name: did not run"; return 1; }
    read -r code seconds <"$work/$name.result"
    local counts
    counts=$(grep -Eo '[0-9]+ tests failed out of [0-9]+' "$work/$name.log" | tail -n1)
    printf '%-18s %3d min %02d s  %s%s\n' "$name" $((seconds / 60)) $((seconds % 60)) \
        "${counts:-no tests counted}" "$([ "$code" -eq 0 ] || echo ', FAILED')"
    [ "$code" -eq 0 ]
}
echo "== Sessions"
for name in host dist "${sessions[@]}"; do
    summary "$name" || status=1
done
# "F tests failed out of T" of every CTest run, added up.
read -r total failedTests < <(cat "$work"/*.log |
    awk 'match($0, /[0-9]+ tests failed out of [0-9]+/) {split(substr($0, RSTART, RLENGTH), w, " "); f += w[1]; t += w[6]}
         END {print t+0, f+0}')
echo "Total: $((total - failedTests)) passed, $failedTests failed"
exit $status
