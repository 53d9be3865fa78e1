#!/usr/bin/python3
"""Resident memory and processor time of the running program while it counts a connection:
measure_resources.py <program> [seconds]   (default 60 s)."""

import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from harness import Failure, Session, wait_for  # noqa: E402


def rss_kib(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    raise Failure("no VmRSS")


def cpu_ticks(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])  # utime + stime


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    span = float(sys.argv[2]) if len(sys.argv) > 2 else 60.0
    s = Session(sys.argv[1])
    try:
        s.write_option({
            "Typeconex": {"Forfait": "Maison", "Version": "0"},
            "Forfaits": {"Maison": "/1/0/0/0/0/20/00:00:00/00:00:00"},
            "Dernc Maison": {"temps": "01:00:00", "avf": "19:00:00", "prix": "0", "forfaitdep": "2"},
        })
        pid = s.launch()
        s.connect(name="Box")
        wait_for("counting", lambda: s.tempo().get("ouinon") == "2")
        hz = os.sysconf("SC_CLK_TCK")
        t0, c0 = time.monotonic(), cpu_ticks(pid)
        peak = rss = rss_kib(pid)
        while time.monotonic() - t0 < span:
            time.sleep(1)
            rss = rss_kib(pid)
            peak = max(peak, rss)
        t1, c1 = time.monotonic(), cpu_ticks(pid)
        counted = s.tempo().get("tempspassé")
        print(f"counted {counted} over {t1 - t0:.1f} s")
        print(f"VmRSS {rss / 1024:.1f} MiB at the end, {peak / 1024:.1f} MiB at most")
        print(f"CPU {(c1 - c0) / hz:.2f} s = {100.0 * (c1 - c0) / hz / (t1 - t0):.2f} % of one core")
    finally:
        s.close()
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except Failure as e:
        print(f"FAIL: {e}")
        sys.exit(1)
