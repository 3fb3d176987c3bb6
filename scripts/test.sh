#!/usr/bin/env bash
# Builds everything and runs all tests.
#   scripts/test.sh            release build with assertions, in build/release
#   scripts/test.sh sanitize   AddressSanitizer + UndefinedBehaviorSanitizer build, in build/sanitize
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

variant="${1:-release}"
case "$variant" in
  release)  dir=build/release;  flags=(-DCMAKE_BUILD_TYPE=Release) ;;
  sanitize) dir=build/sanitize; flags=(-DCMAKE_BUILD_TYPE=Debug -DGC_SANITIZE=ON -DGC_BUILD_BENCH=OFF) ;;
  *) echo "usage: $0 [release|sanitize]" >&2; exit 2 ;;
esac

export QT_QPA_PLATFORM=offscreen
cmake -S . -B "$dir" -G Ninja "${flags[@]}"
cmake --build "$dir" -j2
cd "$dir"
ctest --output-on-failure -j2
