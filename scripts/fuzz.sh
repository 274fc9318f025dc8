#!/usr/bin/env bash
# Builds the Install.log fuzzer with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer) into build-fuzz/ and runs it for the given
# number of seconds (default 60) on a copy of the seed corpus; 0 only replays
# the seeds. Any finding fails the script; its reproducer is kept in
# build-fuzz/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
# libFuzzer reads a time of 0, or of anything that is not a number, as "no
# limit", and the run would never end.
if ! [[ "$seconds" =~ ^[0-9]+$ ]]; then
  echo "usage: $0 [SECONDS]   (whole seconds; 0 replays the seed corpus only)" >&2
  exit 2
fi
seconds=$((10#$seconds))
if [ "$seconds" -eq 0 ]; then
  limit=(-runs=0)
else
  limit=(-max_total_time="$seconds")
fi

# FOLIVANT_WERROR=ON (the test script's default) makes warnings errors here too.
CC=clang-14 CXX=clang++-14 cmake -S fuzz -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  ${FOLIVANT_WERROR:+"-DCMAKE_COMPILE_WARNING_AS_ERROR=$FOLIVANT_WERROR"} >/dev/null
cmake --build build-fuzz -j2

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp -r fuzz/corpus "$work/corpus"
mkdir -p build-fuzz/artifacts

echo "Fuzzing the Install.log reader for ${seconds}s" >&2
build-fuzz/installlog_fuzzer "$work/corpus" \
  "${limit[@]}" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
  -dict=fuzz/installlog.dict -artifact_prefix=build-fuzz/artifacts/ -print_final_stats=1
