#!/usr/bin/python3
"""Resident memory, processor time and D-Bus messages of the running program while it counts a
connection, and the mapped files that take most of its memory:
measure_resources.py <program> [seconds]   (default 60 s)."""

import os
import subprocess
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


def cpu_seconds(pid):
    """Processor time of all the process's threads, to the nanosecond (the scheduler's own account:
    /proc/PID/stat counts in ticks of 10 ms, too coarse for a program that is idle most of a minute)."""
    total = 0
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/schedstat") as f:
                total += int(f.read().split()[0])
        except (FileNotFoundError, ProcessLookupError):
            pass  # a thread that ended meanwhile
    return total / 1e9


def resident_files(pid, at_least_kib=300):
    """The files mapped by the process with their resident size in KiB, the largest first."""
    sizes, name = {}, None
    with open(f"/proc/{pid}/smaps") as f:
        for line in f:
            fields = line.split()
            if "-" in fields[0] and len(fields) >= 5:  # a mapping's header
                name = fields[5] if len(fields) > 5 else None
            elif fields[0] == "Rss:" and name and name.startswith("/"):
                sizes[name] = sizes.get(name, 0) + int(fields[1])
    return sorted(((k, v) for k, v in sizes.items() if v >= at_least_kib), key=lambda kv: -kv[1])


class BusMonitor:
    """dbus-monitor on a private bus; counts the messages sent by one process's connection."""

    def __init__(self, address):
        self.address = address
        self.proc = subprocess.Popen(["dbus-monitor", "--address", address, "--profile"],
                                     stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        # The header comes once the monitor is in place.
        if not self.proc.stdout.readline().startswith("#"):
            raise Failure(f"dbus-monitor did not start on {address}")

    def sent_by(self, pid):
        import dbus

        bus = dbus.bus.BusConnection(self.address)
        daemon = dbus.Interface(bus.get_object("org.freedesktop.DBus", "/org/freedesktop/DBus"),
                                "org.freedesktop.DBus")
        names = {str(n) for n in daemon.ListNames()
                 if n.startswith(":") and daemon.GetConnectionUnixProcessID(n) == pid}
        bus.close()
        time.sleep(0.5)  # what is on its way reaches the monitor
        self.proc.terminate()
        out, _ = self.proc.communicate(timeout=10)
        count = 0
        for line in out.splitlines():
            fields = line.split("\t")
            if len(fields) > 3 and not line.startswith("#") and fields[3] in names:
                count += 1
        return count


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
        monitors = {"system": BusMonitor(s.system_address), "session": BusMonitor(s.session_address)}
        t0, c0 = time.monotonic(), cpu_seconds(pid)
        peak = rss = rss_kib(pid)
        while time.monotonic() - t0 < span:
            time.sleep(1)
            rss = rss_kib(pid)
            peak = max(peak, rss)
        t1, c1 = time.monotonic(), cpu_seconds(pid)
        files = resident_files(pid)
        sent = {bus: m.sent_by(pid) for bus, m in monitors.items()}
        counted = s.tempo().get("tempspassé")
        print(f"counted {counted} over {t1 - t0:.1f} s")
        print(f"VmRSS {rss / 1024:.1f} MiB at the end, {peak / 1024:.1f} MiB at most")
        print(f"CPU {c1 - c0:.3f} s = {100.0 * (c1 - c0) / (t1 - t0):.3f} % of one core")
        ticks = (t1 - t0) / 0.9
        total = sum(sent.values())
        print(f"D-Bus messages sent {total} (system bus {sent['system']}, session bus {sent['session']}) "
              f"in {ticks:.0f} ticks = {total / ticks:.2f} per tick")
        for path, kib in files:
            print(f"resident {kib} KiB {path}")
    finally:
        s.close()
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except Failure as e:
        print(f"FAIL: {e}")
        sys.exit(1)
