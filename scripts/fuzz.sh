#!/usr/bin/env bash
# Builds the Install.log fuzzer with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer) into build-fuzz/ and runs it for the given
# number of seconds (default 60) on a copy of the seed corpus. Any finding
# fails the script; its reproducer is kept in build-fuzz/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"

CC=clang-14 CXX=clang++-14 cmake -S fuzz -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j2

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp -r fuzz/corpus "$work/corpus"
mkdir -p build-fuzz/artifacts

echo "Fuzzing the Install.log reader for ${seconds}s" >&2
build-fuzz/installlog_fuzzer "$work/corpus" \
  -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
  -dict=fuzz/installlog.dict -artifact_prefix=build-fuzz/artifacts/ -print_final_stats=1
