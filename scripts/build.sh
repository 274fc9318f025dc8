#!/usr/bin/env bash
# Configures and builds the tree into build/ with both cores. Arguments go to
# the build step (e.g. --target folivant). FOLIVANT_WERROR=ON or OFF sets
# whether warnings are errors; unset, the build keeps its last choice.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  ${FOLIVANT_WERROR:+"-DFOLIVANT_WERROR=$FOLIVANT_WERROR"} >/dev/null
cmake --build build -j2 "$@"
