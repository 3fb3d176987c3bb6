#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the screenshots need.
# Asks dpkg first, so a machine that has everything runs no apt-get at all.
set -euo pipefail

packages=(
  build-essential cmake ninja-build clang libclang-rt-dev clang-format
  qt6-base-dev qt6-svg-dev libgl1-mesa-dev
  qt6-declarative-dev qml6-module-qtquick qml6-module-qtquick-window qml6-module-qtqml-workerscript
  qml6-module-qtquick-controls qml6-module-qtquick-templates qml6-module-qtquick-layouts doxygen
  libgtest-dev libgmock-dev libbenchmark-dev libboost-dev nlohmann-json3-dev libgraphviz-dev pkg-config
  dpkg-dev file
  fonts-liberation xvfb xauth imagemagick xdotool libx11-dev libxtst-dev valgrind
)

missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi
