#!/bin/sh
# The batch benchmark: 200 one-page listings of C headers (enscript) and 20
# long manual pages (groff), each into a PDF of its own, by
# `folivant-convert --each -j 2` and `-j 1`, against the interpreter's own
# program run on the same files one after another in a shell loop, with the
# same switches, in the same invocation, alternating.
#   bench/batch_job.sh [rounds=3]
set -eu
cd "$(dirname "$0")/.."
rounds=${1:-3}
build=${BUILD_DIR:-build}

for tool in groff enscript gs; do
  if ! command -v "$tool" >/dev/null; then
    apt-get install -y -qq --no-install-recommends groff enscript ghostscript >/dev/null
  fi
done
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target folivant-convert folivant-interpreter >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/in" "$work/gs" "$work/j1" "$work/j2"
n=0
for header in $(find /usr/include -maxdepth 2 -name '*.h' -size +2k | sort | head -n 200); do
  n=$((n + 1))
  enscript -q -a 1 -p "$work/in/header $n.ps" "$header" 2>/dev/null
done
n=0
for page in $(find /usr/share/man/man1 -name '*.1.gz' -size +12k | sort | head -n 20); do
  n=$((n + 1))
  zcat "$page" | groff -man -Tps -P-pletter >"$work/in/manual $n.ps" 2>/dev/null
done
sources=$(ls "$work/in" | wc -l)
pages=$(cat "$work/in"/*.ps | grep -c '^%%Page:' || true)
echo "batch: $sources sources, $pages pages, $(du -sh "$work/in" | cut -f1) of PostScript"

# The switches folivant-convert gives the interpreter for its defaults.
gs_loop() {
  for f in "$work/in"/*.ps; do
    name=$(basename "$f" .ps)
    gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=pdfwrite -dCompatibilityLevel=1.2 \
      -dPDFSETTINGS=/default -dColorImageResolution=72 -dGrayImageResolution=72 \
      -dMonoImageResolution=72 -dDEVICEWIDTHPOINTS=612 -dDEVICEHEIGHTPOINTS=792 -dFIXEDMEDIA \
      -dPSFitPage -sOutputFile="$work/gs/$name.pdf" "$f"
  done
}
seconds() { # runs the command, prints its wall time in seconds
  start=$(date +%s.%N)
  "$@" >/dev/null 2>&1
  end=$(date +%s.%N)
  awk "BEGIN { print $end - $start }"
}
median() { tr ' ' '\n' | sort -n | sed -n "$(( (rounds + 1) / 2 ))p"; }

gs_times= j1_times= j2_times=
r=1
while [ "$r" -le "$rounds" ]; do
  rm -f "$work"/gs/* "$work"/j1/* "$work"/j2/*
  t=$(seconds gs_loop); gs_times="$gs_times $t"; printf 'round %d  gs loop        %6.2f s\n' "$r" "$t"
  t=$(seconds "$build/bin/folivant-convert" --each -j 2 -d "$work/j2" "$work"/in/*.ps)
  j2_times="$j2_times $t"; printf 'round %d  --each -j 2    %6.2f s\n' "$r" "$t"
  t=$(seconds "$build/bin/folivant-convert" --each -j 1 -d "$work/j1" "$work"/in/*.ps)
  j1_times="$j1_times $t"; printf 'round %d  --each -j 1    %6.2f s\n' "$r" "$t"
  r=$((r + 1))
done
for d in gs j1 j2; do
  count=$(ls "$work/$d" | wc -l)
  [ "$count" -eq "$sources" ] || { echo "batch_job.sh: $d made $count PDFs of $sources" >&2; exit 1; }
done
gs_m=$(echo $gs_times | median); j1_m=$(echo $j1_times | median); j2_m=$(echo $j2_times | median)
echo "median: gs loop $gs_m s, --each -j 2 $j2_m s, --each -j 1 $j1_m s"
printf 'speed-up of --each -j 2 over the gs loop: %.2f (goal >= 1.8)\n' "$(awk "BEGIN { print $gs_m / $j2_m }")"
printf 'time per file, --each -j 1 / gs loop: %.3f (goal <= 1.05)\n' "$(awk "BEGIN { print $j1_m / $gs_m }")"
