#!/usr/bin/env bash
# Compiles every C++ block of docs/embedding.md against an installed
# GraphControl package, in a fresh CMake project that sets no C++ standard
# of its own, and runs the complete programs among them once (offscreen,
# with an argument that makes them quit at once).
#
#   scripts/doc-snippets.sh PREFIX [WORKDIR]
#
# A block with #include lines is a whole source file; a block after the line
# "<!-- snippet: declarations -->" is compiled at namespace scope after every
# public header; any other block is compiled as the body of a function that
# has `graph` (gc::TGraphControl&), `view` (gc::qt::TGraphWidget*) and
# `window` (QWidget*).
set -euo pipefail
cd "$(dirname "$0")/.."

prefix="$(realpath "${1:?usage: $0 PREFIX [WORKDIR]}")"
work="${2:-$(mktemp -d)}"
doc=docs/embedding.md
rm -rf "$work/src" "$work/build"
mkdir -p "$work/src"

prelude='#include <QApplication>
#include <QDebug>
#include <QImage>
#include <QMainWindow>
#include <QObject>
#include <memory>

#include "GraphControl/GraphControl.h"
#include "json/DiagramJson.h"
#include "platform/qt/GraphItem.h"
#include "platform/qt/GraphWidget.h"
#include "platform/qt/QtCanvas.h"
#include "platform/qt/QtPlatform.h"
#include "platform/qt/QtRenderedImage.h"
#include "platform/qt/QtTypes.h"
'

# Splits the document into one file per block: block_N.cpp and block_N.kind.
awk -v dir="$work/src" '
  /^<!-- snippet: declarations -->$/ { next_kind = "declarations"; next }
  /^```cpp$/ { n++; inside = 1; file = sprintf("%s/block_%02d.cpp", dir, n); kind = next_kind; next_kind = ""
               printf "" > file; next }
  /^```$/ && inside { inside = 0; close(file)
                      if (kind == "") kind = "statements"
                      print kind > sprintf("%s/block_%02d.kind", dir, n); close(sprintf("%s/block_%02d.kind", dir, n))
                      next }
  inside { print >> file; if ($0 ~ /^#include/) kind = "file" }
  !/^```/ && !inside && !/^<!--/ { next_kind = "" }
' "$doc"

fragments=()
programs=()
for block in "$work"/src/block_*.cpp; do
  name="$(basename "$block" .cpp)"
  kind="$(cat "$work/src/$name.kind")"
  out="$work/src/${name}_unit.cpp"
  case "$kind" in
    file) cp "$block" "$out" ;;
    declarations) { printf '%s\n' "$prelude"; cat "$block"; } >"$out" ;;
    statements)
      { printf '%s\n' "$prelude"
        printf 'void Snippet_%s([[maybe_unused]] gc::TGraphControl& graph, [[maybe_unused]] gc::qt::TGraphWidget* view,\n' "$name"
        printf '                [[maybe_unused]] QWidget* window) {\n'
        cat "$block"
        printf '}\n'; } >"$out" ;;
  esac
  if grep -q '^int main(' "$out"; then programs+=("$name"); else fragments+=("${name}_unit.cpp"); fi
done
echo "docs/embedding.md: ${#fragments[@]} fragments, ${#programs[@]} programs"

{
  echo 'cmake_minimum_required(VERSION 3.25)'
  echo 'project(EmbeddingDocSnippets LANGUAGES CXX)'
  echo '# No CMAKE_CXX_STANDARD: the package brings the standard its headers need.'
  echo 'find_package(GraphControl 1.0 CONFIG REQUIRED COMPONENTS qt quick json)'
  echo "add_library(fragments OBJECT ${fragments[*]})"
  echo 'target_link_libraries(fragments PRIVATE GraphControl::graphcontrol_quick GraphControl::json)'
  echo 'target_compile_options(fragments PRIVATE -Wall -Wextra -Wpedantic -Werror)'
  for program in "${programs[@]}"; do
    echo "add_executable($program ${program}_unit.cpp)"
    echo "target_link_libraries($program PRIVATE GraphControl::graphcontrol_quick GraphControl::json)"
    echo "target_compile_options($program PRIVATE -Wall -Wextra -Wpedantic -Werror)"
  done
} >"$work/src/CMakeLists.txt"

cmake -S "$work/src" -B "$work/build" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/build" -j2
for program in "${programs[@]}"; do
  QT_QPA_PLATFORM=offscreen QT_QUICK_BACKEND=software "$work/build/$program" --quit-at-once
done
echo "docs/embedding.md: every block compiles; ${#programs[@]} programs ran"
