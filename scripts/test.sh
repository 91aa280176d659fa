#!/usr/bin/env bash
# The whole test suite: a format and layer check of the sources, the host unit tests and the
# codec's fuzz replay, the release packages, then the Windows integration tests of the i686 and
# x86_64 builds under Wine. Each build runs its sessions one after the other, each in a private
# Wine session beside a private CUPS scheduler: a true-colour display, a small 256-colour display,
# the main window's and capture tests once more at 144 dpi, the capture tests at 192 dpi and on a
# display of two monitors (Xorg's dummy driver; skipped, saying why, where Xorg cannot start). The
# two builds run side by side.
# Where this kernel cannot run 32-bit programs, the i686 sessions run under qemu-i386 in a user
# namespace of their own (scripts/wine32-namespace.py); where that cannot work either, they are
# left out, saying why. Ends with each session's time and counts, and one line totalling them.
#
#   scripts/test.sh                                       the whole suite
#   scripts/test.sh --repeat N --session NAME [--test R]  one Wine session (mingw64-main, say) N
#                                                         times in a row, each in a fresh session,
#                                                         only its tests matching the regular
#                                                         expression R when given; the logs of
#                                                         failed runs are kept in build/test-logs
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

repeat=""
only_session=""
only_test=""
while [ $# -gt 0 ]; do
    case "$1" in
        --repeat) repeat=$2; shift 2 ;;
        --session) only_session=$2; shift 2 ;;
        --test) only_test=$2; shift 2 ;;
        *) echo "usage: $0 [--repeat N --session NAME [--test REGEX]]" >&2; exit 2 ;;
    esac
done
if [ -n "$repeat$only_session$only_test" ] && ! [[ "$repeat" =~ ^[1-9][0-9]*$ && -n "$only_session" ]]; then
    echo "usage: $0 [--repeat N --session NAME [--test REGEX]]" >&2
    exit 2
fi

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

# The Wine sessions. `$launch` runs in front of each (the namespace of the i686 build where this
# kernel cannot run it). Under emulation programs run two to three times as slowly:
# KAVLOR_TIME_SCALE stretches the tests' waits (tests/win/TestSupport_win.h) and each test's time
# limit, never what they check. Sessions with a printer print on two PDF queues of a private CUPS
# scheduler.
kinds=(main display8 dpi144 dpi192 monitors)
# A session that cannot be had here (exit status 77, after one line saying why) passes.
skippable() {
    "$@"
    local code=$?
    [ "$code" -eq 77 ] && return 0
    return "$code"
}
session() {
    local name=$1 preset=$2 kind=$3 scale=$4 launch=("${@:5}")
    local ctest=(env KAVLOR_TIME_SCALE="$scale" ctest --preset "$preset" --timeout $((180 * scale)) -L "$kind")
    [ -z "$only_test" ] || ctest+=(-R "$only_test")
    case $kind in
        main) step "$name" "${launch[@]}" scripts/cups-session.sh -- \
            scripts/wine-session.sh --screen 1280x1024x24 -- "${ctest[@]}" ;;
        display8) step "$name" "${launch[@]}" scripts/cups-session.sh -- \
            scripts/wine-session.sh --screen 800x600x8 -- "${ctest[@]}" ;;
        # At 144 dpi (text and windows 1.5x), and the captures at 192 dpi, where a pixel is 7.5
        # twips; nothing prints in these.
        dpi144) step "$name" "${launch[@]}" \
            scripts/wine-session.sh --dpi 144 --screen 1280x1024x24 -- "${ctest[@]}" ;;
        dpi192) step "$name" "${launch[@]}" \
            scripts/wine-session.sh --dpi 192 --screen 1280x1024x24 -- "${ctest[@]}" ;;
        # A 1280x1024 primary monitor and a 1024x768 one on its left, on Xorg's dummy driver.
        monitors) step "$name" skippable "${launch[@]}" \
            scripts/wine-session.sh --two-monitors -- "${ctest[@]}" ;;
    esac
}

# How the i686 build's sessions run here: `launch32` and `scale32`, or `no32` saying why not.
launch32=(scripts/wine32-namespace.py --)
scale32=1
no32=""
if how=$(scripts/wine32-namespace.py --check 2>&1); then
    if [ "$how" = namespace ]; then
        echo "== The i686 build's Wine sessions run under qemu-i386 ($(
            [ -n "${KAVLOR_WINE32_EMULATE:-}" ] && echo "KAVLOR_WINE32_EMULATE is set" ||
                echo "this kernel cannot run 32-bit programs")), their time limits stretched three times."
        scale32=3
    fi
else
    no32=$how
fi

summary() {
    local name=$1
    [ -f "$work/$name.result" ] || { echo "$name: did not run"; return 1; }
    read -r code seconds <"$work/$name.result"
    local counts
    counts=$(grep -Eo '[0-9]+ tests failed out of [0-9]+' "$work/$name.log" | tail -n1)
    printf '%-24s %3d min %02d s  %s%s\n' "$name" $((seconds / 60)) $((seconds % 60)) \
        "${counts:-no tests counted}" "$([ "$code" -eq 0 ] || echo ', FAILED')"
    [ "$code" -eq 0 ]
}
# "F tests failed out of T" of every CTest run, added up.
total() {
    local total failedTests
    read -r total failedTests < <(cat "$work"/*.log |
        awk 'match($0, /[0-9]+ tests failed out of [0-9]+/) {split(substr($0, RSTART, RLENGTH), w, " "); f += w[1]; t += w[6]}
             END {print t+0, f+0}')
    echo "Total: $((total - failedTests)) passed, $failedTests failed"
}

# One session, again and again: each run in a fresh Wine session, as the whole suite runs it.
if [ -n "$repeat" ]; then
    preset=${only_session%%-*}
    kind=${only_session#*-}
    if ! [[ "$preset" =~ ^mingw(32|64)$ ]] || ! printf '%s\n' "${kinds[@]}" | grep -qx -- "$kind"; then
        echo "No session $only_session: sessions are mingw32-KIND and mingw64-KIND, KIND one of ${kinds[*]}." >&2
        exit 2
    fi
    launch=()
    scale=1
    if [ "$preset" = mingw32 ]; then
        [ -z "$no32" ] || { echo "The i686 build's sessions cannot run here: $no32." >&2; exit 1; }
        launch=("${launch32[@]}")
        scale=$scale32
    fi
    # The logs of failed runs are kept, to read after a long repeat.
    kept="$root/build/test-logs"
    rm -rf "$kept"
    passed=0
    for run in $(seq 1 "$repeat"); do
        session "$only_session-$run" "$preset" "$kind" "$scale" "${launch[@]}"
        if summary "$only_session-$run" >/dev/null; then
            passed=$((passed + 1))
        else
            mkdir -p "$kept"
            cp "$work/$only_session-$run.log" "$kept/"
        fi
    done
    echo "== $only_session, $repeat runs${only_test:+ of the tests matching $only_test}"
    for run in $(seq 1 "$repeat"); do
        summary "$only_session-$run" || status=1
    done
    total
    echo "$passed of $repeat runs passed"
    [ "$passed" -eq "$repeat" ] || echo "The failed runs' logs: $kept"
    exit $status
fi

# The code keeps one format (.clang-format); a change that breaks it fails the suite.
echo "== clang-format --dry-run"
if ! git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror; then
    echo "Some files are not formatted: run clang-format -i on them."
    status=1
fi

# The window layer (base/) lies below the program (app/) and includes nothing of it; nor do the
# codec and conversion.dll, which are built without the program.
if grep -rn '#include "app/' base/ codec/ convert/dll/; then
    echo "base/, codec/ or convert/dll/ include headers of app/: move what they need down, or pass it in."
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

# The sessions of one build run one after the other; the two builds run side by side.
sessions=()
if [ -z "$no32" ]; then
    (for kind in "${kinds[@]}"; do session "mingw32-$kind" mingw32 "$kind" "$scale32" "${launch32[@]}"; done) &
    sessions+=("${kinds[@]/#/mingw32-}")
else
    echo "== The i686 build's Wine tests are left out: $no32."
    echo "   Skipped with them: the 32-bit installer's test (its NSIS stub is 32-bit)."
fi
(for kind in "${kinds[@]}"; do session "mingw64-$kind" mingw64 "$kind" 1; done) &
sessions+=("${kinds[@]/#/mingw64-}")
wait

echo "== Sessions"
for name in host dist "${sessions[@]}"; do
    summary "$name" || status=1
done
total
exit $status
