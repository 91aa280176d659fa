#!/usr/bin/env bash
# Installs from Debian's packages whatever building, running and testing Kavlor needs and
# this machine lacks. Does nothing when everything is present.
set -euo pipefail

packages=(
    cmake ninja-build g++ make clang-format git
    googletest libgtest-dev
    g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
    wine wine64 wine32:i386
    xvfb x11-utils x11-apps imagemagick
    fonts-wqy-microhei fonts-wine
    cups printer-driver-cups-pdf libcups2:i386 poppler-utils
    nasm dpkg-dev libjpeg-turbo-progs clang libclang-rt-14-dev
    nsis zip unzip icoutils python3
)

# libjpeg-turbo is built from Debian's source package: apt-get source needs deb-src entries,
# taken here from the machine's own Debian entries.
add_source_entries() {
    local list=/etc/apt/sources.list.d/kavlor-deb-src.sources
    if apt-cache showsrc libjpeg-turbo 2>/dev/null | grep -q '^Package:' || [ -e "$list" ]; then
        return 1
    fi
    local own
    own=$(grep -lE '^URIs:.*/debian/?$' /etc/apt/sources.list.d/*.sources 2>/dev/null | head -n1 || true)
    if [ -n "$own" ]; then
        sed -E 's/^Types:.*/Types: deb-src/' "$own" | $sudo tee "$list" >/dev/null
    elif [ -f /etc/apt/sources.list ]; then
        sed -n 's/^deb \(.*\)/deb-src \1/p' /etc/apt/sources.list |
            $sudo tee /etc/apt/sources.list.d/kavlor-deb-src.list >/dev/null
    fi
}

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
if add_source_entries; then
    $sudo apt-get update -q
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
# wine32 is an i386 package: its architecture has to be known to dpkg first.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
