# Sourced by the scripts that start Wine. Debian's `wine` runs every program through its
# 32-bit loader, which also starts 64-bit programs. Some machines (sandboxed kernels among
# them) cannot run 32-bit Linux programs at all: there only the 64-bit loader works, and
# only 64-bit Windows programs run, unless the tests run them under emulation
# (scripts/wine32-namespace.py).

# Whether this kernel runs 32-bit x86 programs itself: the smallest such program, `exit(0)`
# through int 0x80, is written out and started. Needs nothing installed.
elf32_runs() {
    local elf
    elf=$(mktemp "${TMPDIR:-/tmp}/kavlor-elf32.XXXXXX")
    printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80' >"$elf"
    chmod 700 "$elf"
    local status=0
    "$elf" 2>/dev/null || status=1
    rm -f "$elf"
    return $status
}

# Whether this machine runs Wine's 32-bit loader (and so 32-bit Windows programs) natively.
wine32_runs() {
    [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1
}

# The build preset whose programs Wine runs here: mingw32, or mingw64 where 32-bit programs cannot
# run, which is then said on standard error ("<what> the 64-bit build").
runnable_preset() {
    if wine32_runs; then
        echo mingw32
        return
    fi
    echo "This machine cannot run 32-bit Linux programs: $1 the 64-bit build." >&2
    echo mingw64
}

# Makes `wine`, and the tools that start it, use the 64-bit loader when the 32-bit one cannot
# run; `dir` receives the stand-in `wine` command, put first on PATH.
use_runnable_wine() {
    local dir=$1
    wine32_runs && return 0
    mkdir -p "$dir"
    # Debian's wineboot, winecfg and the like start `wine-stable`, which prefers the 32-bit loader.
    for name in wine wine-stable; do
        printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' >"$dir/$name"
        chmod +x "$dir/$name"
    done
    export PATH="$dir:$PATH" WINELOADER=/usr/lib/wine/wine64
}
