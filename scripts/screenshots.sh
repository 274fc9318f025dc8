#!/usr/bin/env bash
# Takes the user guide's pictures again into docs/ (or the folder given), on
# a virtual display. The window browses a made-up home folder,
# /tmp/home/camille, which the run creates and removes.
set -euo pipefail
cd "$(dirname "$0")/.."
out="${1:-docs}"
scripts/deps.sh
scripts/build.sh --target screenshots >/dev/null
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" \
  build/tests/screenshots/bin/screenshots "$out"
