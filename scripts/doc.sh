#!/usr/bin/env bash
# Makes the API reference with Doxygen into build/doc/html/ and reports the
# public members of the chief classes that have no documentation (a member
# of a group documented by one comment counts as undocumented).
set -euo pipefail
cd "$(dirname "$0")/.."
mkdir -p build/doc
doxygen docs/Doxyfile
echo "API reference: build/doc/html/index.html"
warnings=build/doc/warnings.txt
total=$(grep -c "is not documented" "$warnings" || true)
echo "undocumented public members: $total in all; in the chief classes:"
for class in TGraphControl TGraphObject TGraphNode TGraphLink TGraphWidget TGraphItem; do
  count=$(grep "is not documented" "$warnings" | sort -u | grep -c -E "(of class|Compound) gc::(qt::)?$class( |\.)" || true)
  printf '  %-14s %s\n' "$class" "$count"
done
grep "is not documented" "$warnings" | grep -E "(of class|Compound) gc::(qt::)?(TGraphControl|TGraphObject|TGraphNode|TGraphLink|TGraphWidget|TGraphItem)( |\.)" \
  >build/doc/undocumented-chief.txt || true
echo "the list: build/doc/undocumented-chief.txt"
