#!/usr/bin/env bash
# Measures the program and writes docs/performance.md: the medians of the benchmarks, the running
# program's memory and processor use while it counts, and the time to its first window, each beside
# its target and beside a minimal Qt program of the same kind measured the same way.
#   scripts/perf-report.sh [build folder, default build-perf] [seconds of counting, default 60]
# With VQ_PERF_REUSE=1 the page is written again from the figures of the last run in that folder.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
dir="${1:-$here/build-perf}"
span="${2:-60}"
out="$here/docs/performance.md"
results="$dir/perf"
"$here/scripts/setup.sh"

if [ -z "${VQ_PERF_REUSE:-}" ]; then
echo "== Build (Release)"
"$here/scripts/build.sh" "$dir" -DCMAKE_BUILD_TYPE=Release -DVQ_BUILD_TESTS=OFF -DVQ_BUILD_BENCH=ON
rm -rf "$results"; mkdir -p "$results"
g++ -O2 -fPIC -std=c++17 "$here/scripts/perf/minimal_tray.cpp" -o "$results/minimal_tray" \
  $(pkg-config --cflags --libs Qt6Widgets)

echo "== Benchmarks"
for b in ini engine records region; do
  echo "   ${b}_bench"
  "$dir/bench/${b}_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
    --benchmark_format=json >"$results/$b.json" 2>/dev/null
done

echo "== The program counting for ${span}s"
/usr/bin/python3 "$here/tests/e2e/measure_resources.py" "$dir/Varlotte" "$span" | tee "$results/resources.txt"
echo "== First window"
/usr/bin/python3 "$here/scripts/perf/first_paint.py" "$dir/Varlotte" 9 | tee "$results/paint.txt"
echo "== Minimal Qt program"
/usr/bin/python3 "$here/scripts/perf/first_paint.py" "$results/minimal_tray" 9 --idle "$span" |
  tee "$results/minimal.txt"
fi

mkdir -p "$(dirname "$out")"
/usr/bin/python3 - "$results" "$out" "$span" <<'EOF'
import json, os, re, subprocess, sys, platform

results, out, span = sys.argv[1], sys.argv[2], sys.argv[3]
standard = {"name", "run_name", "run_type", "repetitions", "repetition_index", "threads", "iterations",
            "real_time", "cpu_time", "time_unit", "aggregate_name", "aggregate_unit", "family_index",
            "per_family_instance_index", "error_occurred", "error_message"}
to_us = {"ns": 1e-3, "us": 1.0, "ms": 1e3, "s": 1e6}
medians = {}
context = {}
for b in ("ini", "engine", "records", "region"):
    with open(os.path.join(results, b + ".json")) as f:
        data = json.load(f)
    context = data.get("context", context)
    for e in data["benchmarks"]:
        if e.get("aggregate_name") != "median":
            continue
        counters = {k: v for k, v in e.items() if k not in standard and isinstance(v, (int, float))}
        name = re.sub(r"/repeats:\d+$", "", e["run_name"])
        medians[name] = (b, e["real_time"] * to_us[e["time_unit"]], counters)

def us(name):
    return medians[name][1] if name in medians else None

def counter(name, key):
    return medians.get(name, (None, None, {}))[2].get(key)

def text(path):
    with open(os.path.join(results, path)) as f:
        return f.read()

def number(pattern, s):
    m = re.search(pattern, s)
    return float(m.group(1)) if m else None

def shown(v):
    if v is None:
        return "not measured"
    if v < 1:
        return f"{v * 1000:.0f} ns"
    if v < 10:
        return f"{v:.1f} µs"
    if v < 1000:
        return f"{v:.2f} µs"
    return f"{v / 1000:.2f} ms"

res, paint, minimal = text("resources.txt"), text("paint.txt"), text("minimal.txt")
rss = number(r"VmRSS ([\d.]+) MiB at the end", res)
rss_peak = number(r"([\d.]+) MiB at most", res)
cpu = number(r"= ([\d.]+) % of one core", res)
first = number(r"mapped (\d+) ms", paint)
min_rss = number(r"VmRSS ([\d.]+) MiB at the end", minimal)
min_cpu = number(r"= ([\d.]+) % of one core", minimal)
min_first = number(r"mapped (\d+) ms", minimal)

def verdict(ok):
    return "met" if ok else "**missed**"

rows = []
def row(what, target, measured, ok):
    rows.append(f"| {what} | {target} | {measured} | {verdict(ok) if ok is not None else 'not measured'} |")

# The program learns of changes to its files through change notifications; comparing file stamps is
# the way of systems without them, shown for information.
v = us("BM_ReadUnchanged/1")
row("lireini, file unchanged", "< 1 µs", shown(v) + f" ({shown(us('BM_ReadUnchanged/0'))} comparing stamps)",
    v is not None and v < 1)
v = us("BM_WriteUnchangedValue/1")
row("ecrireini of the value already stored", "< 1 µs",
    shown(v) + f" ({shown(us('BM_WriteUnchangedValue/0'))} comparing stamps)", v is not None and v < 1)
r = counter("BM_WriteNewValue/1", "replacements_per_write")
row("ecrireini of a new value", "one atomic replacement",
    f"{shown(us('BM_WriteNewValue/1'))}, {r:g} replacement(s)" if r is not None else "not measured",
    r is not None and abs(r - 1) < 1e-9)
t10, t10k = us("BM_CountingTick/10"), us("BM_CountingTick/10000")
row("counting tick, 10 and 10,000 records", "< 10 µs, independent of the record count",
    f"{shown(t10)} and {shown(t10k)}",
    None if t10 is None or t10k is None else (t10k < 10 and t10k < 2 * t10 + 1))
r = counter("BM_CrashStateWrite", "replacements/iter")
row("crash-state write", "one replacement",
    f"{shown(us('BM_CrashStateWrite'))}, {r:g} replacement(s)" if r is not None else "not measured",
    r is not None and abs(r - 1) < 1e-9)
v = us("BM_LoadFullStore")
row("Load of 32,767 records", "< 50 ms", shown(v), v is not None and v < 50000)
v = us("BM_RemoveFromFullStore")
r = counter("BM_RemoveFromFullStore", "replacements/iter")
row("Remove one of 32,767 records", "< 50 ms, one replacement",
    shown(v) + (f", {r:g} replacement(s)" if r is not None else ""),
    v is not None and v < 50000 and (r is None or abs(r - 1) < 1e-9))
v = us("BM_MakeRegion1024x768")
row("MakeRegion of a 1024×768 picture", "< 5 ms", shown(v), v is not None and v < 5000)
dbus_sent = number(r"D-Bus messages sent (\d+)", res)
dbus_ticks = number(r"in (\d+) ticks", res)
dbus_per_tick = number(r"= ([\d.]+) per tick", res)

def ratio(v, yardstick):
    return None if v is None or not yardstick else v / yardstick

# Stated against the minimal program measured in the same run, as ratios: these machines are noisy.
r = ratio(rss, min_rss)
row("resident memory while counting", f"≤ 1.2 × the minimal Qt tray program's ({min_rss} MiB here)",
    f"{rss} MiB (at most {rss_peak} MiB) = {r:.2f} ×" if r is not None else "not measured",
    None if r is None else r <= 1.2)
r = ratio(first, min_first)
row("first window after the start", f"≤ 1.3 × the minimal program's ({min_first:.0f} ms here)"
    if min_first is not None else "≤ 1.3 × the minimal program's",
    f"{first:.0f} ms = {r:.2f} ×" if r is not None else "not measured", None if r is None else r <= 1.3)
r = ratio(cpu, min_cpu)
row(f"processor use while counting ({span} s)", f"≤ 2 × the minimal program's ({min_cpu} % of one core here)",
    f"{cpu} % of one core = {r:.1f} ×" if r is not None else f"{cpu} % of one core (the minimal program: 0)",
    None if cpu is None or min_cpu is None else cpu <= 2 * min_cpu)
row(f"D-Bus messages sent while counting ({span} s, both buses)", "0 per tick",
    f"{dbus_sent:.0f} in {dbus_ticks:.0f} ticks = {dbus_per_tick:.2f} per tick" if dbus_per_tick is not None
    else "not measured", None if dbus_sent is None else dbus_sent == 0)

lines = ["# Performance", "",
         "Generated by `scripts/perf-report.sh`; do not edit by hand, except the last section (kept by the script). Figures are medians on the machine below;",
         "the minimal Qt program (`scripts/perf/minimal_tray.cpp`: a window, a notification icon and a 900 ms",
         "timer) is measured the same way, on the same machine, at the same time, as the yardstick for the",
         "targets that are stated against such a program.", "",
         f"Machine: {context.get('num_cpus', '?')} CPU(s) at {context.get('mhz_per_cpu', '?')} MHz, "
         f"{platform.system()} {platform.release()}, load average {os.getloadavg()[0]:.2f} at the end; "
         f"benchmarks built as {context.get('library_build_type', '?')} Google Benchmark library, program in Release.",
         "", "## Targets", "", "| What | Target | Measured | |", "|---|---|---|---|"] + rows
lines += ["", "## Benchmark medians", "",
          "Each benchmark program ran with `--benchmark_repetitions=5 --benchmark_report_aggregates_only=true`"
          " (those that fix their own repetitions keep them).", "",
          "| Program | Benchmark | Median (real time) | Counters |", "|---|---|---|---|"]
for name, (prog, v, counters) in medians.items():
    c = ", ".join(f"{k} = {val:g}" for k, val in counters.items())
    lines.append(f"| {prog}_bench | {name} | {shown(v)} | {c} |")
lines += ["", "## The running program", "",
          f"`tests/e2e/measure_resources.py` (the program counting a connection for {span} s under Xvfb, with a",
          "mocked NetworkManager; dbus-monitor on the private system and session buses counts the messages",
          "the program sends meanwhile; the files above 300 KiB resident, from /proc/PID/smaps, at the end),",
          "`scripts/perf/first_paint.py` (the time from starting the program to the mapping of its first",
          "window on an empty virtual display, median of 9 starts):", "", "```"]
lines += [l for l in (res + paint).splitlines() if l.strip()]
lines += ["```", "", "The minimal Qt program:", "", "```"] + [l for l in minimal.splitlines() if l.strip()] + ["```", ""]
# The hand-written section of measured changes (before and after figures) is kept as it is.
kept = "\n## Measured changes\n"
if os.path.exists(out):
    with open(out) as f:
        old = f.read()
    if kept in old:
        lines += [kept.strip()] + old.split(kept, 1)[1].rstrip("\n").splitlines() + [""]
with open(out, "w") as f:
    f.write("\n".join(lines))
print(f"wrote {out}")
EOF
