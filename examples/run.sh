#!/usr/bin/env bash
# Installs the build in $1 under $2/prefix, then builds the example host against that prefix,
# once through find_package(vekgrid) and once through pkg-config, and runs both.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$1 out=$2
prefix=$PWD/$out/prefix
rm -rf "$prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
cmake -S examples/host -B "$out/host" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$out/host" >/dev/null
"$out/host/host_example"
if [ -x "$out/host/qt_host_example" ]; then
    QT_QPA_PLATFORM=offscreen "$out/host/qt_host_example"
fi
pc_dir=$(dirname "$(find "$prefix" -name vekgrid.pc | head -n 1)")
c++ -std=c++20 examples/host/main.cpp -o "$out/host_example_pc" \
    $(PKG_CONFIG_PATH="$pc_dir" pkg-config --cflags --libs vekgrid)
"$out/host_example_pc" >/dev/null
echo "example host: built against the installed package (CMake and pkg-config) and ran"
