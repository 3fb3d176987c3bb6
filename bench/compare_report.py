"""Prints the table of bench/compare.sh from the results it collected.

Usage: compare_report.py OUT_DIR SIZES CLOCK. OUT_DIR holds one JSON file per
program and repetition (theirs-R.json, counterpart-R.json, ours-R.json,
history-R.json) and memory.txt; SIZES is the comma-separated list of node
counts; CLOCK is cpu_time or real_time.

Each ratio is this control / Qt Graphics View. It is the median of the
ratios of the single repetitions (each pairs two runs made one right after
the other); the range of those ratios follows in brackets. "before" is what
issue 21 measured before this work, with the captions shown as here.
"""
import glob
import json
import os
import statistics
import sys

out, sizes, clock = sys.argv[1], [int(n) for n in sys.argv[2].split(",")], sys.argv[3]
SCALE = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}


def load(program):
    """{name: [per repetition {"t": seconds, counters...}]}"""
    runs = {}
    for path in sorted(glob.glob(os.path.join(out, f"{program}-*.json"))):
        rep = int(path.rsplit("-", 1)[1].split(".")[0])
        for b in json.load(open(path))["benchmarks"]:
            if b.get("run_type", "iteration") != "iteration":
                continue
            entry = {k: v for k, v in b.items() if isinstance(v, (int, float))}
            entry["t"] = b[clock] * SCALE[b["time_unit"]]
            entry["rep"] = rep
            runs.setdefault(b["name"], []).append(entry)
    return runs


theirs, counterpart, ours, history = (load(p) for p in ("theirs", "counterpart", "ours", "history"))


def qt(name, n, widget=False):
    if not widget and n <= 100000 and name in theirs:
        return theirs[name]
    return counterpart.get(name)


def ratio(mine, other):
    """(median ratio, low, high) over the repetitions both sides ran."""
    if not mine or not other:
        return None
    a = {e["rep"]: e["t"] for e in mine}
    b = {e["rep"]: e["t"] for e in other}
    rs = [a[r] / b[r] for r in a if r in b and b[r] > 0]
    return (statistics.median(rs), min(rs), max(rs)) if rs else None


def median(entries, key="t"):
    values = [e[key] for e in entries or [] if key in e]
    return statistics.median(values) if values else None


def fmt_time(s):
    if s is None:
        return "-"
    for unit, f in (("s", 1), ("ms", 1e3), ("us", 1e6)):
        if s * f >= 1 or unit == "us":
            return f"{s * f:.3g} {unit}"


def fmt_ratio(r):
    if r is None:
        return "-"
    m, lo, hi = r
    return f"{m:.2f}" if hi - lo < 0.005 else f"{m:.2f} ({lo:.2f}-{hi:.2f})"


# (label, our name, Qt's name, widget row, goal at 100,000 and more, before at 100,000, before at 1,000,000)
ROWS = [
    ("Insert, captions laid out", "BM_Insert/{n}/1", "BM_Insert/{n}", False, 0.5,
     "1.7 (-2.6)", "1.2-2.7"),
    ("Insert, captions laid out when shown", "BM_Insert/{n}/0", "BM_Insert/{n}", False, None, "0.25", "0.27"),
    ("Paint 800x600 at 100 %", "BM_Paint/{n}/0", "BM_Paint/{n}/0", False, 0.5, "0.85-0.96", "1.15"),
    ("Paint whole area fitted", "BM_Paint/{n}/1", "BM_Paint/{n}/1", False, None, "", ""),
    ("Hit test", "BM_HitTest/{n}/0/iterations:10000", "BM_HitTest/{n}/0/iterations:10000", False, 0.2,
     "0.12-0.14", "0.35"),
    ("Rubber band 1 %", "BM_RubberBand/{n}/1/1", "BM_RubberBand/{n}/1/1", False, 0.5, "0.66", "0.55"),
    ("Rubber band 25 %", "BM_RubberBand/{n}/25/1", "BM_RubberBand/{n}/25/1", False, 0.5, "0.43-0.53", "-"),
    ("Move 1,000 nodes in a lock", "BM_Move/{n}/iterations:100", "BM_Move/{n}/iterations:100", False, None,
     "", ""),
    ("Remove all one by one", "BM_RemoveAll/{n}", "BM_RemoveAll/{n}", False, None, "", ""),
    ("Load the saved file (vs their insert)", "BM_Load/{n}/0", "BM_Insert/{n}", False, 0.25, "0.41-0.60",
     "0.56"),
    ("Load, captions laid out, settled", "BM_Load/{n}/1", "BM_Insert/{n}", False, None, "", ""),
    ("Widget: drag one node", "BM_WidgetDrag/{n}/1", "BM_WidgetDrag/{n}/1", True, 0.5, "", ""),
    ("Widget: drag 1,000 selected", "BM_WidgetDrag/{n}/1000", "BM_WidgetDrag/{n}/1000", True, 0.5, "", ""),
    ("Widget: scroll one wheel step", "BM_WidgetWheel/{n}/0", "BM_WidgetWheel/{n}/0", True, 0.5, "", ""),
    ("Widget: zoom one step at pointer", "BM_WidgetWheel/{n}/1", "BM_WidgetWheel/{n}/1", True, 0.5, "", ""),
]

misses = []
print(f"Ratios of {'CPU' if clock == 'cpu_time' else 'wall'} time, this control / Qt Graphics View "
      f"(median of the repetitions, their range in brackets)")
print(f"{'Operation':38} {'N':>9} {'this control':>12} {'Qt':>10} {'ratio':>18} {'before':>11} "
      f"{'goal':>5}  {'with history':>12}")
for label, mine, other, widget, goal, before_100k, before_1m in ROWS:
    for n in sizes:
        a, b = ours.get(mine.format(n=n)), qt(other.format(n=n), n, widget)
        r = ratio(a, b)
        g = 1.0 if n < 100000 else goal
        before = before_100k if n == 100000 else before_1m if n == 1000000 else ""
        h = history.get(mine.format(n=n))
        verdict = ""
        if r and g is not None:
            verdict = "ok" if r[0] <= g else "MISS"
            if verdict == "MISS":
                misses.append(f"{label} at {n:,}: {r[0]:.2f} > {g}")
        goal_text = f"{g:.2g}" if g is not None else ""
        print(f"{label:38} {n:>9,} {fmt_time(median(a)):>12} {fmt_time(median(b)):>10} {fmt_ratio(r):>18} "
              f"{before:>11} {goal_text:>5} {verdict:4} {fmt_time(median(h)) if h else '':>12}")

print()
memory = {}
if os.path.exists(os.path.join(out, "memory.txt")):
    for line in open(os.path.join(out, "memory.txt")):
        n, who, kb = line.split()
        memory[(int(n), who)] = int(kb) * 1024
for n in sizes:
    if (n, "theirs") not in memory:
        continue
    t, o, h = memory[(n, "theirs")], memory[(n, "ours")], memory[(n, "history")]
    before = {100000: "0.61", 1000000: "0.72"}.get(n, "")
    verdict = "ok" if h / t <= 0.5 else "MISS"
    if verdict == "MISS":
        misses.append(f"Peak memory at {n:,}: {h / t:.2f} > 0.5")
    print(f"Peak memory of the insert at {n:>9,}: Qt {t / 2**20:.0f} MB, this control {o / 2**20:.0f} MB "
          f"({o / t:.2f}), with history {h / 2**20:.0f} MB ({h / t:.2f}; before {before}; goal 0.5 {verdict})")

for n in sizes:
    off = median(ours.get(f"BM_Insert/{n}/1"), "bytes_per_node")
    on = median(history.get(f"BM_Insert/{n}/1"), "bytes_per_node")
    if off is not None:
        print(f"Heap bytes per node at {n:>9,}: {off:.0f} without history, "
              f"{on:.0f} with history" if on is not None else f"{off:.0f} without history")

per_node = {n: median(ours.get(f"BM_Load/{n}/0")) for n in sizes}
per_node = {n: t / n for n, t in per_node.items() if t}
for n, t in per_node.items():
    print(f"Load cost per node at {n:>9,}: {t * 1e6:.2f} us")
if 100000 in per_node and 1000000 in per_node:
    growth = per_node[1000000] / per_node[100000]
    verdict = "ok" if growth <= 1.3 else "MISS"
    if verdict == "MISS":
        misses.append(f"Load per node 1,000,000 / 100,000: {growth:.2f} > 1.3")
    print(f"Load per node, 1,000,000 / 100,000: {growth:.2f} (goal 1.3 {verdict}; before about 2.4: "
          f"4 us per node at 250,000, 9.7 us at 1,000,000)")

check = counterpart.get("BM_Insert/100000"), theirs.get("BM_Insert/100000")
if all(check):
    print(f"Counterpart check: its insert of 100,000 takes {median(check[0]) / median(check[1]):.2f} x the "
          f"comparison program's")
print()
print("Rows that missed their goal:" if misses else "Every row met its goal.")
for m in misses:
    print("  " + m)
