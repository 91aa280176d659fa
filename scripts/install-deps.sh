#!/usr/bin/env bash
# Installs from Debian's packages what this machine lacks, and does nothing when all is present:
#
#   scripts/install-deps.sh run    what building and starting Kavlor needs (make run)
#   scripts/install-deps.sh        everything: also the test, benchmark and release tools
#
# `run` takes one Windows flavour: the 32-bit release where this kernel runs 32-bit programs,
# else the 64-bit build. The full set adds the other flavour, and where 32-bit programs cannot
# run natively, qemu's user-mode emulator from bookworm-backports, under which the tests run
# Wine's 32-bit loader (scripts/wine32-namespace.py).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/wine-env.sh"
what=${1:-all}

# Building conversion.dll needs libjpeg-turbo's Debian sources (nasm and dpkg-dev to build and
# unpack them), and configuring a Windows build the GoogleTest sources; Wine needs Xvfb where
# there is no display, a CJK font for the captions and Wine's own Marlett for the caption
# buttons; the screenshot of a displayless start uses xwd. The two-monitor tests run on Xorg with
# the dummy driver, set up by xrandr; Wine's 32-bit side sees the second monitor only through
# libxrandr2:i386.
packages=(
    cmake ninja-build make python3 nasm dpkg-dev googletest
    wine wine64
    xvfb x11-utils x11-apps fonts-wqy-microhei fonts-wine
)
backports=()
if elf32_runs; then
    packages+=(g++-mingw-w64-i686-posix wine32:i386)
else
    packages+=(g++-mingw-w64-x86-64-posix)
fi
if [ "$what" != run ]; then
    packages+=(
        g++ clang-format git libgtest-dev
        g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix wine32:i386
        imagemagick cups printer-driver-cups-pdf libcups2:i386 poppler-utils
        libjpeg-turbo-progs clang libclang-rt-14-dev
        nsis zip unzip icoutils
        xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils libxrandr2:i386
    )
    # (KAVLOR_WINE32_EMULATE: the tests take the emulated route even where the kernel runs them.)
    emulate=${KAVLOR_WINE32_EMULATE:-0}
    if ! elf32_runs || [ "$emulate" != 0 ]; then
        backports+=(qemu-user)
    fi
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi

# The machine's own Debian entry, as deb822 lines; empty when it has none in that form.
own_entry() {
    local own
    own=$(grep -lE '^URIs:.*/debian/?$' /etc/apt/sources.list.d/*.sources 2>/dev/null | head -n1 || true)
    [ -n "$own" ] && cat "$own"
}

# libjpeg-turbo is built from Debian's source package: apt-get source needs deb-src entries,
# taken here from the machine's own Debian entries.
add_source_entries() {
    local list=/etc/apt/sources.list.d/kavlor-deb-src.sources
    if apt-cache showsrc libjpeg-turbo 2>/dev/null | grep -q '^Package:' || [ -e "$list" ]; then
        return 1
    fi
    if own_entry >/dev/null; then
        own_entry | sed -E 's/^Types:.*/Types: deb-src/' | $sudo tee "$list" >/dev/null
    elif [ -f /etc/apt/sources.list ]; then
        sed -n 's/^deb \(.*\)/deb-src \1/p' /etc/apt/sources.list |
            $sudo tee /etc/apt/sources.list.d/kavlor-deb-src.list >/dev/null
    fi
}

# qemu-user 10 comes from bookworm-backports (bookworm's 7.2 hangs in Wine's services), added
# from the machine's own Debian entry as the suite of the same mirror.
add_backports_entry() {
    local list=/etc/apt/sources.list.d/kavlor-backports.sources
    if [ -e "$list" ] || grep -rqs 'bookworm-backports' /etc/apt/sources.list /etc/apt/sources.list.d/; then
        return 1
    fi
    if own_entry >/dev/null; then
        # The stanza of Debian's own archive (not of its security archive), with the suite replaced.
        own_entry | awk -v RS= '/URIs:[^\n]*\/debian\/?(\n|$)/ {print; exit}' |
            sed -E 's/^Types:.*/Types: deb/; s/^Suites:.*/Suites: bookworm-backports/' | $sudo tee "$list" >/dev/null
    elif [ -f /etc/apt/sources.list ]; then
        sed -n 's/^deb \([^ ]*\) bookworm .*/deb \1 bookworm-backports main/p' /etc/apt/sources.list | head -n1 |
            $sudo tee /etc/apt/sources.list.d/kavlor-backports.list >/dev/null
    fi
}

installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}
missing=()
for p in "${packages[@]}"; do
    installed "$p" || missing+=("$p")
done
missing_backports=()
for p in "${backports[@]}"; do
    # The 10 of backports, not the 7.2 of bookworm.
    if ! installed "$p" || ! dpkg --compare-versions "$(dpkg-query -W -f='${Version}' "$p")" ge 1:10; then
        missing_backports+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && [ ${#missing_backports[@]} -eq 0 ] && exit 0

add_source_entries || true
if [ ${#missing_backports[@]} -gt 0 ]; then
    add_backports_entry || true
fi
# wine32 and libcups2 are i386 packages: their architecture has to be known to dpkg first.
if printf '%s\n' "${missing[@]}" | grep -q ':i386$' && ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
fi
# A mirror caught in the middle of a sync serves an index of the wrong size, and apt-get update
# then fails as a whole. Try again a little later.
updated=no
for attempt in 1 2 3; do
    $sudo apt-get update -q && { updated=yes; break; }
    [ $attempt -lt 3 ] && { echo "apt-get update failed; trying again in $((attempt * 10)) s"; sleep $((attempt * 10)); }
done
export DEBIAN_FRONTEND=noninteractive
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    if ! $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"; then
        # An index that stayed out of date (the security suite's i386 list, say) leaves the two
        # architectures of a multiarch library at different versions, which apt refuses to
        # install. The release's own suite holds both at one version: prefer it.
        [ $updated = no ] || exit 1
        release=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
        echo "Some package lists could not be brought up to date: installing from $release's own suite first."
        $sudo apt-get install -y -q --no-install-recommends -t "$release" "${missing[@]}"
    fi
fi
if [ ${#missing_backports[@]} -gt 0 ]; then
    echo "Installing from bookworm-backports: ${missing_backports[*]}"
    $sudo apt-get install -y -q --no-install-recommends -t bookworm-backports "${missing_backports[@]}"
fi
