#!/usr/bin/env bash
# Fetches a Debian source package into a cache folder and unpacks it there (Debian's patches
# applied), unless an unpacked tree holding MARKER is already present:
#
#   scripts/fetch-source.sh CACHE_DIR PACKAGE MARKER     e.g. build/third_party libdeflate libdeflate.h
#
# Prints the path of the unpacked tree. Needs a deb-src entry (scripts/install-deps.sh adds one).
set -euo pipefail
cache=$1 package=$2 marker=$3
mkdir -p "$cache"
cache=$(cd "$cache" && pwd)
tree=$(find "$cache" -maxdepth 1 -type d -name "$package-*" ! -name '*.partial' | sort | tail -n1)
if [ -z "$tree" ] || [ ! -f "$tree/$marker" ]; then
    (cd "$cache" && mkdir -p src && cd src &&
        { ls "${package}"_*.dsc >/dev/null 2>&1 || apt-get source --download-only "$package" >&2; })
    dsc=$(ls "$cache"/src/"${package}"_*.dsc | sort | tail -n1)
    version=$(sed -n 's/^Version: \(.*:\)\{0,1\}\([^-]*\).*/\2/p' "$dsc")
    tree="$cache/$package-$version"
    # Unpack beside the final place and rename, so an interrupted run leaves no half tree.
    rm -rf "$tree.partial"
    dpkg-source --no-check -x "$dsc" "$tree.partial" >&2
    mv "$tree.partial" "$tree"
fi
echo "$tree"
