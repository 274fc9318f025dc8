#!/usr/bin/env bash
# Builds and starts Folivant. Without a display it converts the bundled
# sample with folivant-convert instead and prints the PDF's path.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh --runtime
scripts/build.sh >/dev/null
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec build/bin/folivant
fi
out="${TMPDIR:-/tmp}/folivant-sample.pdf"
build/bin/folivant-convert -o "$out" samples/sample.ps
echo "$out"
