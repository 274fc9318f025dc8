#!/usr/bin/env bash
# Builds everything and runs every test: the CTest suite on the offscreen
# platform, then the fuzzers for a fixed time.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2)
if [ -x scripts/fuzz.sh ]; then
  scripts/fuzz.sh "${FUZZ_SECONDS:-60}"
fi
