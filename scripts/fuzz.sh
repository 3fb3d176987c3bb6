#!/usr/bin/env bash
# Fuzzes the diagram stream reader: builds the libFuzzer target with clang in
# its own build folder (GC_FUZZ=ON builds nothing else) and runs it for a
# bounded time (FUZZ_SECONDS, default 120) over a copy of the seed corpus.
# Crash inputs are kept in build/fuzz/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${FUZZ_SECONDS:-120}"
build=build/fuzz

cmake -S . -B "$build" -G Ninja -DGC_FUZZ=ON -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=clang++
cmake --build "$build" -j2

corpus="$(mktemp -d)"
trap 'rm -rf "$corpus"' EXIT
cp tests/fuzz/corpus/* "$corpus"/
mkdir -p "$build/artifacts"

"$build/tests/fuzz/stream_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=8192 \
  -print_final_stats=1 -artifact_prefix="$build/artifacts/" "$corpus"
