#!/usr/bin/env bash
# Fuzzes the diagram stream reader: builds the libFuzzer target with clang in
# its own build folder (GC_FUZZ=ON builds nothing else) and runs it over a
# copy of the seed corpus. By default the run is reproducible: a fixed seed
# and a fixed number of inputs (FUZZ_SEED, FUZZ_RUNS), capped at FUZZ_SECONDS;
# FUZZ_SEED=0 lets libFuzzer pick a seed for exploratory runs.
# Crash inputs are kept in build/fuzz/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${FUZZ_SECONDS:-300}"
runs="${FUZZ_RUNS:-800000}"
seed="${FUZZ_SEED:-1}"
build=build/fuzz

cmake -S . -B "$build" -G Ninja -DGC_FUZZ=ON -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=clang++
cmake --build "$build" -j2

corpus="$(mktemp -d)"
trap 'rm -rf "$corpus"' EXIT
cp tests/fuzz/corpus/* "$corpus"/
mkdir -p "$build/artifacts"

"$build/tests/fuzz/stream_fuzz" -seed="$seed" -runs="$runs" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=8192 \
  -print_final_stats=1 -artifact_prefix="$build/artifacts/" "$corpus"
