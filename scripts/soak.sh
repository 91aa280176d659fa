#!/usr/bin/env bash
# The long soak: KAVLOR_SOAK_ROUNDS rounds (default 20, about 1,000 of each capture) of heavy
# use of the real program in a private Wine session beside a private CUPS scheduler, with its
# objects and memory counted after each kind of step. `make test` runs one round.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/wine-env.sh"
preset=$(runnable_preset soaking)
export KAVLOR_SOAK_ROUNDS=${KAVLOR_SOAK_ROUNDS:-20}
# Each round takes a minute or two, under its own time limit (tests/win/WinTestMain_win.cpp).
export KAVLOR_TEST_LIMIT=$((KAVLOR_SOAK_ROUNDS * 300))
exec "$root/scripts/cups-session.sh" -- "$root/scripts/wine-session.sh" -- \
    wine "$root/build/$preset/tests/kavlor_wintests.exe" --gtest_filter='Soak.*'
