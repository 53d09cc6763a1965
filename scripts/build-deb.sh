#!/usr/bin/env bash
# Builds the Debian packages from debian/ with dpkg-buildpackage, in a copy of the sources under
# $1 (dpkg-buildpackage writes its results beside the source folder), and leaves the .deb files
# in $1. $2: parallel jobs.
set -euo pipefail
cd "$(dirname "$0")/.."
out=$1 jobs=${2:-2}
rm -rf "$out"
mkdir -p "$out/src"
# The tracked files as they are in the working tree (committed or not), without build folders.
git ls-files -z --cached --others --exclude-standard | xargs -0 cp --parents -t "$out/src"
launcher=""
command -v ccache >/dev/null && launcher="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"
(cd "$out/src" && VEKGRID_CMAKE_EXTRA="$launcher" DEB_BUILD_OPTIONS="parallel=$jobs nocheck" \
    dpkg-buildpackage -us -uc -b >../dpkg-buildpackage.log 2>&1) ||
    { tail -n 40 "$out/dpkg-buildpackage.log"; echo "deb: FAILED"; exit 1; }
ls "$out"/*.deb
