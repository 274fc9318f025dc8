#!/bin/sh
# Builds and runs the installer benchmark: the installer's steps against
# `cp -r` on a generated 500 MB product, then its uninstallation.
#   bench/install_bench.sh [--work DIR] [--mb 500] [--files 2000] [--rounds 5] [--settle 3]
set -eu
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFOLIVANT_BENCHMARKS=ON >/dev/null
cmake --build "$build" -j2 --target install_bench
exec "$build/bin/install_bench" "$@"
