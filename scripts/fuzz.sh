#!/usr/bin/env bash
# Fuzzes the library with its two libFuzzer targets, built with clang under
# AddressSanitizer and UndefinedBehaviorSanitizer in their own build folder
# (GC_FUZZ=ON builds nothing else):
#   1. the diagram stream reader, over a copy of tests/fuzz/corpus/: first
#      with inputs up to 8 KiB, then a shorter part with inputs up to 1 MiB,
#      so that reading times that grow faster than the input show up as
#      timeouts;
#   2. whole editing sessions on a control (operation_fuzz): every kept
#      session in tests/fuzz/operations/ is replayed and must pass, then
#      fresh sessions explore from them (their findings are reported only);
#   3. hostile files (hostile_files): files built to hold what the fuzzers
#      rarely build, each loaded and edited with every operation of the
#      sessions; they must pass within their time and memory bounds;
#   4. a time-boxed exploration of both targets from a random seed, printed
#      so that it can be given again (FUZZ_EXPLORE_SEED); its findings are
#      reported only.
# Steps 1 and 2 are reproducible by default: fixed seeds and fixed numbers
# of inputs, each part capped in time as a safety net. FUZZ_SEED=0 lets
# libFuzzer pick their seeds too; FUZZ_SCALE multiplies every number of
# inputs and time cap (FUZZ_SCALE=10 for a long exploration), FUZZ_EXPLORE
# sets the seconds of the exploration (0 skips it). Crash inputs are kept in
# build/fuzz/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."

seed="${FUZZ_SEED:-1}"
scale="${FUZZ_SCALE:-1}"
explore="${FUZZ_EXPLORE:-240}"
build=build/fuzz
dict=tests/fuzz/operation_fuzz.dict

cmake -S . -B "$build" -G Ninja -DGC_FUZZ=ON -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=clang++
cmake --build "$build" -j2

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$build/artifacts" "$scratch/stream" "$scratch/operations"
cp tests/fuzz/corpus/* "$scratch/stream"/
cp tests/fuzz/operations/* "$scratch/operations"/

# run TARGET CORPUS RUNS SECONDS MAX_LEN TIMEOUT [LIBFUZZER_OPTIONS...]
run() {
  echo "== $1: $3 inputs (at most $4 s), inputs up to $5 bytes"
  "$build/tests/fuzz/$1" -seed="$seed" -runs="$(($3 * scale))" -max_total_time="$(($4 * scale))" \
    -timeout="$6" -rss_limit_mb=2048 -max_len="$5" -print_final_stats=1 \
    -artifact_prefix="$build/artifacts/" "${@:7}" "$2"
}

# repeat SEED TIMES OUT: the seed's objects TIMES over (2^k times), with
# their identifiers repeated, as one stream.
repeat() {
  local records="$scratch/records" count=$((2 ** $2)) i
  tail -c +9 "$1" >"$records"
  for ((i = 0; i < $2; i++)); do cat "$records" "$records" >"$records.2" && mv "$records.2" "$records"; done
  count=$(($(od -An -tu4 -j4 -N4 "$1") * count))
  { printf '0.GS'; printf "$(printf '\\x%02x\\x%02x\\x%02x\\x%02x' $((count & 255)) $((count >> 8 & 255)) \
      $((count >> 16 & 255)) $((count >> 24 & 255)))"; cat "$records"; } >"$3"
}

run stream_fuzz "$scratch/stream" 600000 240 8192 10
# Long inputs from the start (no gradual growth of the length), seeded with
# streams of about a megabyte.
mkdir -p "$scratch/long"
repeat tests/fuzz/corpus/widget.Screen 13 "$scratch/long/widgets.Screen"
repeat tests/fuzz/corpus/linked.Screen 10 "$scratch/long/linked.Screen"
run stream_fuzz "$scratch/long" 2000 90 1048576 10 -len_control=0
# Every kept session must pass: they are the regressions of fixed faults.
echo "== operation_fuzz: replaying the kept sessions"
"$build/tests/fuzz/operation_fuzz" -rss_limit_mb=2048 tests/fuzz/operations/*
# Fresh sessions explore; what they find is reported and kept, but does not
# fail the run. Each session gives the same result whenever and after
# whatever it runs, but which sessions are generated is not fixed by the
# seed: the coverage the fuzzer steers by follows object addresses (hash
# containers keyed by object, compared pointers), which differ between
# runs. A finding replays alone from its file; fix it and add the file to
# tests/fuzz/operations/.
if ! run operation_fuzz "$scratch/operations" 6000 420 4096 20 -dict="$dict"; then
  echo "operation_fuzz: a fresh session broke an invariant; its input is in $build/artifacts/" >&2
fi

echo "== hostile files: loaded and edited with every operation"
mkdir -p "$scratch/hostile"
"$build/tests/fuzz/hostile_files" --write "$scratch/hostile"
# The small ones seed the stream reader's exploration below.
find "$scratch/hostile" -name '*.Screen' -size -8k -exec cp {} "$scratch/stream"/ \;

# Exploration from a random seed: three quarters of the time for editing
# sessions, the rest for the stream reader, each from the corpus so far.
if ((explore > 0)); then
  random_seed="${FUZZ_EXPLORE_SEED:-$(((RANDOM << 15 | RANDOM) + 1))}"
  echo "== exploring from seed $random_seed for $explore s (FUZZ_EXPLORE_SEED=$random_seed uses it again)"
  explore_run() {
    "$build/tests/fuzz/$1" -seed="$random_seed" -max_total_time="$2" -timeout=20 -rss_limit_mb=2048 \
      -max_len="$3" -print_final_stats=1 -artifact_prefix="$build/artifacts/" "${@:5}" "$4" ||
      echo "$1: the exploration from seed $random_seed found a fault; its input is in $build/artifacts/" >&2
  }
  explore_run operation_fuzz $((explore * 3 / 4)) 4096 "$scratch/operations" -dict="$dict"
  explore_run stream_fuzz $((explore / 4)) 8192 "$scratch/stream"
fi
