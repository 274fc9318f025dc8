#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing need,
# but only those that are missing. Needs root (or sudo) the first time.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-svg-dev libgl-dev qt6-translations-l10n
  libgs-dev ghostscript
  libqpdf-dev qpdf
  fonts-dejavu-core fonts-dejavu-extra
  xvfb xauth xdotool xdg-utils desktop-file-utils
  clang-14 libclang-rt-14-dev
  groff enscript poppler-utils gnuplot-nox
  clang-format-14 appstream lintian dpkg-dev file
  cups cups-client cups-filters libcups2-dev
)
[ "${1:-}" = "--runtime" ] && packages=(cmake g++ make pkg-config qt6-base-dev qt6-svg-dev
  libgl-dev qt6-translations-l10n libgs-dev ghostscript libqpdf-dev xdg-utils fonts-dejavu-core
  fonts-dejavu-extra libcups2-dev)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}" >&2
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null; then sudo_cmd=(sudo); else
    echo "Missing packages (${missing[*]}); run this script as root once." >&2
    exit 1
  fi
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
