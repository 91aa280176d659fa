#!/usr/bin/env bash
# Fetches Debian's source package of libjpeg-turbo into a cache folder and unpacks it there
# (Debian's patches applied), unless an unpacked tree is already present:
#
#   scripts/fetch-libjpeg-turbo.sh CACHE_DIR
#
# Prints the path of the unpacked tree. Needs a deb-src entry (scripts/install-deps.sh adds one).
set -euo pipefail
cache=$1
mkdir -p "$cache"
cache=$(cd "$cache" && pwd)
tree=$(find "$cache" -maxdepth 1 -type d -name 'libjpeg-turbo-*' | sort | tail -n1)
if [ -z "$tree" ] || [ ! -f "$tree/jpeglib.h" ]; then
    (cd "$cache" && mkdir -p src && cd src &&
        { ls libjpeg-turbo_*.dsc >/dev/null 2>&1 || apt-get source --download-only libjpeg-turbo >&2; })
    dsc=$(ls "$cache"/src/libjpeg-turbo_*.dsc | sort | tail -n1)
    version=$(sed -n 's/^Version: \(.*:\)\{0,1\}\([^-]*\).*/\2/p' "$dsc")
    tree="$cache/libjpeg-turbo-$version"
    # Unpack beside the final place and rename, so an interrupted run leaves no half tree.
    rm -rf "$tree.partial"
    dpkg-source --no-check -x "$dsc" "$tree.partial" >&2
    mv "$tree.partial" "$tree"
fi
echo "$tree"
