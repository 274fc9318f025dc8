#!/bin/sh
# The text-heavy conversion benchmark: four copies of a long man page set with
# groff (87 pages each for bash's), converted by folivant-convert and by the
# interpreter's own program with the same switches, alternating.
#   bench/text_job.sh [rounds=7] [copies=4]
set -eu
cd "$(dirname "$0")/.."
rounds=${1:-7}
copies=${2:-4}
build=${BUILD_DIR:-build}

# groff sets the pages; a minimal system may lack it, or its man pages.
if ! command -v groff >/dev/null; then
  apt-get install -y -qq --no-install-recommends groff >/dev/null
fi
page=/usr/share/man/man1/bash.1.gz
if [ ! -s "$page" ]; then
  # Images without documentation drop man pages; take the largest there is.
  page=$(find /usr/share/man -name '*.gz' -size +40k 2>/dev/null | head -n 1)
fi
if [ -z "$page" ]; then
  echo "text_job.sh: no man page to set on this machine" >&2
  exit 1
fi

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFOLIVANT_BENCHMARKS=ON >/dev/null
cmake --build "$build" -j2 --target bench_convert folivant-convert folivant-interpreter

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
zcat "$page" | groff -man -Tps -P-pa4 >"$work/page.ps" 2>/dev/null
files=
i=1
while [ "$i" -le "$copies" ]; do
  cp "$work/page.ps" "$work/copie $i.ps"
  files="$files $i"
  i=$((i + 1))
done
echo "text job: $copies copies of $(basename "$page"), $(grep -c '^%%Page:' "$work/page.ps") pages each"
set --
for i in $files; do set -- "$@" "$work/copie $i.ps"; done
"$build/bin/bench_convert" "$rounds" --files "$@"
