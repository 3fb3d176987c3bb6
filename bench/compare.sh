#!/usr/bin/env bash
# Runs the shared workload on this control and on Qt's Graphics View one
# right after the other and prints each ratio (this control / Qt Graphics
# View) with the spread of the repetitions, beside the figures measured
# before the captions were laid out fast (issue 21) and the goal of each row.
#
#   bench/compare.sh [ANCHOR_DIR] [--quick] [--reps N] [--sizes LIST] [--wall]
#
# Qt's side: the comparison program in ANCHOR_DIR (or $ANCHOR_DIR; by default
# ../shared/anchors/qgraphics-bench next to the repository, or next to the
# main checkout from a linked worktree), built outside the repository in
# $ANCHOR_BUILD (default /tmp/qgs-build), for the sizes it covers (up to
# 100,000); bench_qgraphics_workload, the same workload on QGraphicsView
# written here, for 1,000,000 nodes and for the widget driven by events.
#
# Each repetition runs every program once, in turn, so both sides see the
# same load. Ratios are of CPU time, which the other developers' jobs on a
# shared machine disturb less than wall time (--wall for wall time).
# --quick: one repetition and sizes up to 100,000. --sizes: the list of
# node counts (default 1000,10000,100000,1000000).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
reps=3
sizes="1000,10000,100000,1000000"
clock=cpu_time
args=()
while [ $# -gt 0 ]; do
  case "$1" in
    --quick) reps=1; sizes="1000,10000,100000" ;;
    --reps) reps="$2"; shift ;;
    --sizes) sizes="$2"; shift ;;
    --wall) clock=real_time ;;
    *) args+=("$1") ;;
  esac
  shift
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

echo "== building (ours in $root/build/release, the comparison program in $anchor_build)"
cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build/release" -j2 --target bench_workload bench_qgraphics_workload >/dev/null
cmake -S "$anchor" -B "$anchor_build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$anchor_build" -j2 >/dev/null
ours="$root/build/release/bench/bench_workload"
counterpart="$root/build/release/bench/bench_qgraphics_workload"
theirs="$(find "$anchor_build" -maxdepth 1 -type f -executable -name '*bench*' | head -1)"

# The comparison program covers sizes up to 100,000; the counterpart the rest.
IFS=, read -r -a size_list <<<"$sizes"
small=() large=()
for n in "${size_list[@]}"; do
  if [ "$n" -le 100000 ]; then small+=("$n"); else large+=("$n"); fi
done
alt() { local IFS='|'; echo "$*"; }
json=(--benchmark_format=json)
run() {  # run NAME PROGRAM [ARGS...]: one repetition into $out/NAME-$rep.json
  local name="$1"; shift
  "$@" "${json[@]}" >"$out/$name-$rep.json" 2>"$out/$name-$rep.err" || {
    echo "   $name failed, see $out/$name-$rep.err"; exit 1; }
}
for rep in $(seq 1 "$reps"); do
  echo "== repetition $rep of $reps"
  if [ ${#small[@]} -gt 0 ]; then
    echo "   Qt Graphics View (comparison program), N = ${small[*]}"
    ns="($(alt "${small[@]}"))"
    run theirs "$theirs" --benchmark_filter="BM_(Insert/$ns\$|HitTest/$ns/0/|RubberBand/$ns/[0-9]+/1|Paint/$ns/|Move/$ns/|RemoveAll/$ns\$)"
  fi
  echo "   Qt Graphics View (counterpart), N = ${large[*]:-none}; widget events, N = ${size_list[*]}"
  filter="BM_Widget"
  [ ${#large[@]} -gt 0 ] && filter="BM_Widget|BM_[A-Za-z]+/($(alt "${large[@]}"))(/|\$)|BM_Insert/100000\$"
  GC_WORKLOAD_SIZES="$sizes" run counterpart "$counterpart" --benchmark_filter="$filter"
  echo "   this control, no undo history (as Qt Graphics View)"
  GC_WORKLOAD_SIZES="$sizes" run ours "$ours" \
    --benchmark_filter='BM_(Insert|HitTest|RubberBand/|Paint|Move/|RemoveAll|Load|Widget)'
  echo "   this control with its default undo history"
  GC_WORKLOAD_SIZES="$sizes" GC_WORKLOAD_HISTORY=1 run history "$ours" \
    --benchmark_filter='BM_(Insert/[0-9]+/1|Move/|RemoveAll|Load/[0-9]+/0|Save)'
done

echo "== peak memory of inserting N nodes with their captions (one process each)"
peak() {  # peak NAME PROGRAM FILTER: kilobytes
  /usr/bin/time -f %M "$2" --benchmark_filter="$3" --benchmark_min_time=0.01 >/dev/null 2>"$out/time-$1.txt"
  tail -1 "$out/time-$1.txt"
}
: >"$out/memory.txt"
for n in "${size_list[@]}"; do
  [ "$n" -lt 100000 ] && continue
  if [ "$n" -le 100000 ]; then other="$theirs"; else other="$counterpart"; fi
  echo "$n theirs $(GC_WORKLOAD_SIZES=$n peak "theirs-$n" "$other" "^BM_Insert/$n\$")" >>"$out/memory.txt"
  echo "$n ours $(GC_WORKLOAD_SIZES=$n peak "ours-$n" "$ours" "^BM_Insert/$n/1\$")" >>"$out/memory.txt"
  echo "$n history $(GC_WORKLOAD_SIZES=$n GC_WORKLOAD_HISTORY=1 peak "history-$n" "$ours" "^BM_Insert/$n/1\$")" \
    >>"$out/memory.txt"
done

python3 "$root/bench/compare_report.py" "$out" "$sizes" "$clock"
echo "(raw results in $out)"
