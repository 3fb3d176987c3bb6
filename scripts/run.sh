#!/usr/bin/env bash
# Builds the product and opens it on a ready-made example.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j2

# The designer runs in examples/, where the XML export finds its value-list
# files and writes its workspace file.
if [ -x build/release/app/ScreenDesigner ]; then
  cd examples
  exec ../build/release/app/ScreenDesigner demo.Screen
elif [ -x build/release/examples/gallery ]; then
  exec build/release/examples/gallery
else
  echo "No runnable program has been built yet." >&2
  exit 1
fi
