#!/usr/bin/env bash
# The install check. Installs the Debian packages in $1 (built by `make deb`), then builds the
# example hosts in $2 against the installed packages and runs them:
#  - the headless host through find_package(vekgrid COMPONENTS core) with Qt out of reach
#    (CMAKE_DISABLE_FIND_PACKAGE_Qt6), a consumer that sets no C++ standard;
#  - both hosts through find_package(vekgrid COMPONENTS core qt);
#  - the headless host through pkg-config, with only the flags vekgrid.pc gives.
# The packages are removed again at the end, so the machine is as it was.
set -euo pipefail
cd "$(dirname "$0")/.."
debs=$1 out=$2
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
packages="libvekgrid0 libvekgrid-dev libvekgrid-qt0 libvekgrid-qt-dev"
remove() { $SUDO dpkg -r $packages >/dev/null 2>&1 || true; }
trap remove EXIT
debfiles=()
for p in $packages; do debfiles+=("$PWD/$debs/${p}_"*.deb); done  # not the -dbgsym ones
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${debfiles[@]}" >/dev/null
rm -rf "$out"

cmake -S examples/host -B "$out/core" -DWITH_QT=OFF -DCMAKE_DISABLE_FIND_PACKAGE_Qt6=ON \
    --no-warn-unused-cli >/dev/null
cmake --build "$out/core" >/dev/null
"$out/core/host_example" >/dev/null

cmake -S examples/host -B "$out/host" >/dev/null
cmake --build "$out/host" >/dev/null
"$out/host/host_example"
QT_QPA_PLATFORM=offscreen "$out/host/qt_host_example"

c++ examples/host/main.cpp -o "$out/host_example_pc" $(pkg-config --cflags --libs vekgrid)
"$out/host_example_pc" >/dev/null
pkg-config --exists --print-errors vekgrid-qt
echo "example hosts: built against the installed Debian packages (CMake core only without Qt," \
    "core and qt, pkg-config) and ran"
