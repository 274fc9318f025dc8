#!/usr/bin/env bash
# Builds everything and runs every test: the sources' formatting, a build in
# which warnings are errors (FOLIVANT_WERROR=OFF lets a newer compiler's new
# warnings pass), the CTest suite on the offscreen platform, the Debian
# package and what it installs, then the fuzzer for a fixed time.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/check-format.sh
export FOLIVANT_WERROR="${FOLIVANT_WERROR:-ON}"
scripts/build.sh
# A tree that lost its tests must not pass for want of any.
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --no-tests=error -j2)
scripts/package.sh
scripts/fuzz.sh "${FUZZ_SECONDS:-60}"
echo "All checks passed in ${SECONDS}s" >&2
