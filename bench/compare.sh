#!/usr/bin/env bash
# Builds the control's workload benchmark and the comparison program (a
# retained-mode scene of another toolkit on the same workload), runs them one
# right after the other and prints each ratio (this control / the other).
#
#   bench/compare.sh [ANCHOR_DIR] [--quick]
#
# ANCHOR_DIR (or the environment variable ANCHOR_DIR) is the comparison
# program's folder; by default ../shared/anchors/qgraphics-bench next to the
# repository (next to the main checkout when run from a linked worktree). It is built outside the repository, in $ANCHOR_BUILD (default
# /tmp/qgs-build). --quick runs one repetition instead of three.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
reps=3
args=()
for a in "$@"; do
  case "$a" in
    --quick) reps=1 ;;
    *) args+=("$a") ;;
  esac
done
default_anchor="$root/../shared/anchors/qgraphics-bench"
if [ ! -d "$default_anchor" ]; then
  # A linked worktree: next to the main checkout instead.
  common="$(git -C "$root" rev-parse --path-format=absolute --git-common-dir 2>/dev/null || true)"
  [ -n "$common" ] && default_anchor="$(dirname "$common")/../shared/anchors/qgraphics-bench"
fi
anchor="${args[0]:-${ANCHOR_DIR:-$default_anchor}}"
anchor="$(cd "$anchor" && pwd)"
anchor_build="${ANCHOR_BUILD:-/tmp/qgs-build}"
out="${COMPARE_OUT:-$(mktemp -d)}"
mkdir -p "$out"
export QT_QPA_PLATFORM=offscreen

echo "== building (ours in $root/build/release, the other in $anchor_build)"
cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build/release" -j2 --target bench_workload >/dev/null
cmake -S "$anchor" -B "$anchor_build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$anchor_build" -j2 >/dev/null
ours="$root/build/release/bench/bench_workload"
theirs="$(find "$anchor_build" -maxdepth 1 -type f -executable -name '*bench*' | head -1)"

common=(--benchmark_repetitions="$reps" --benchmark_report_aggregates_only=true --benchmark_format=json)
echo "== running the other program"
"$theirs" "${common[@]}" \
  --benchmark_filter='BM_(Insert/|HitTest/[0-9]+/0|RubberBand/[0-9]+/[0-9]+/1|Paint/|Move/|RemoveAll/)' \
  >"$out/theirs.json" 2>/dev/null
echo "== running this control (no undo history, like the other program)"
"$ours" "${common[@]}" >"$out/ours.json" 2>/dev/null
echo "== running this control with its default undo history"
GC_WORKLOAD_HISTORY=1 "$ours" "${common[@]}" \
  --benchmark_filter='BM_(Insert|Move|RemoveAll|Load|Save)/' >"$out/ours-history.json" 2>/dev/null

echo "== peak memory of inserting 100,000 nodes (one process each)"
peak() { /usr/bin/time -f %M "$@" --benchmark_filter='^BM_Insert/100000$' >/dev/null 2>"$out/time.txt"; tail -1 "$out/time.txt"; }
mem_theirs=$(peak "$theirs")
mem_ours=$(peak "$ours")
mem_history=$(GC_WORKLOAD_HISTORY=1 peak "$ours")

python3 - "$out/ours.json" "$out/theirs.json" "$mem_ours" "$mem_theirs" "$out/ours-history.json" "$mem_history" <<'PY'
import json, sys

def load(path):
    runs = {}
    for b in json.load(open(path))["benchmarks"]:
        name, agg = b["run_name"], b.get("aggregate_name", "median" if b.get("run_type") == "iteration" else "")
        if agg in ("median", "cv"):
            runs.setdefault(name, {})[agg] = b["real_time"] if agg == "median" else b["real_time"]
            runs[name]["unit"] = b["time_unit"]
    return runs

scale = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}
ours, theirs, history = load(sys.argv[1]), load(sys.argv[2]), load(sys.argv[5])
def seconds(runs, name):
    r = runs.get(name)
    return None if r is None or "median" not in r else r["median"] * scale[r["unit"]]
def cv(runs, name):
    r = runs.get(name, {})
    return r.get("cv")
def fmt(s):
    if s is None: return "-"
    for unit, f in (("s", 1), ("ms", 1e3), ("us", 1e6)):
        if s * f >= 1 or unit == "us": return f"{s * f:.3g} {unit}"

rows = [("Insert N nodes (settled)", "BM_Insert/{n}", "BM_Insert/{n}"),
        ("Hit test, per call", "BM_HitTest/{n}/0/iterations:10000", "BM_HitTest/{n}/0/iterations:10000"),
        ("Rubber band 1 %", "BM_RubberBand/{n}/1/1", "BM_RubberBand/{n}/1/1"),
        ("Rubber band 25 %", "BM_RubberBand/{n}/25/1", "BM_RubberBand/{n}/25/1"),
        ("Paint 800x600 at 100 %", "BM_Paint/{n}/0", "BM_Paint/{n}/0"),
        ("Paint whole area fitted", "BM_Paint/{n}/1", "BM_Paint/{n}/1"),
        ("Move 1,000 nodes in a lock", "BM_Move/{n}/iterations:100", "BM_Move/{n}/iterations:100"),
        ("Remove all one by one", "BM_RemoveAll/{n}", "BM_RemoveAll/{n}"),
        ("Load file (vs. their insert)", "BM_Load/{n}", "BM_Insert/{n}")]
# "with history" is the control with its default undo history, measured for
# the operations that record steps; the other program keeps none.
print(f"{'Operation':32} {'N':>7} {'this control':>13} {'other':>11} {'ratio':>7}  "
      f"{'with history':>13} {'ratio':>7}  cv ours/other")
for n in (1000, 10000, 100000):
    for label, mine, other in rows:
        a, b = seconds(ours, mine.format(n=n)), seconds(theirs, other.format(n=n))
        h = seconds(history, mine.format(n=n))
        ratio = f"{a / b:.2f}" if a and b else "-"
        hratio = f"{h / b:.2f}" if h and b else "-"
        c1, c2 = cv(ours, mine.format(n=n)), cv(theirs, other.format(n=n))
        noise = f"{c1:.1%}/{c2:.1%}" if c1 is not None and c2 is not None else ""
        print(f"{label:32} {n:>7} {fmt(a):>13} {fmt(b):>11} {ratio:>7}  {fmt(h) if h else '':>13} "
              f"{hratio if h else '':>7}  {noise}")
for n in (1000, 10000, 100000):
    name = f'BM_Save/{n}'
    print(f"{'Save file':32} {n:>7} {fmt(seconds(ours, name)):>13} {'':>11} {'':>7}  "
          f"{fmt(seconds(history, name)):>13}")
mo, mt, mh = int(sys.argv[3]), int(sys.argv[4]), int(sys.argv[6])
print(f"{'Peak memory, insert 100,000':32} {'':>7} {mo / 1024:>10.0f} MB {mt / 1024:>8.0f} MB {mo / mt:>7.2f}  "
      f"{mh / 1024:>10.0f} MB {mh / mt:>7.2f}")
PY
echo "(raw results in $out)"
