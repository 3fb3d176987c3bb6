#!/usr/bin/env bash
# Builds the Debian package of the designer, graphtool and the library's
# development files in build/release, and prints its path:
#   sudo apt-get install ./build/release/screendesigner_<version>_amd64.deb
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j2 --target ScreenDesigner graphtool graphcontrol graphcontrol_qt
cd build/release
rm -f screendesigner_*.deb
cpack -G DEB >/dev/null
echo "$PWD/$(ls screendesigner_*.deb)"
