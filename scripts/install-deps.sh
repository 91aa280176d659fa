#!/usr/bin/env bash
# Installs from Debian's packages whatever building, running and testing Kavlor needs and
# this machine lacks. Does nothing when everything is present.
set -euo pipefail

packages=(
    cmake ninja-build g++ make clang-format git
    googletest libgtest-dev
    g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
    wine wine64 wine32:i386
    xvfb x11-utils imagemagick
    fonts-wqy-microhei
    cups printer-driver-cups-pdf libcups2:i386 poppler-utils
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
# wine32 is an i386 package: its architecture has to be known to dpkg first.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
