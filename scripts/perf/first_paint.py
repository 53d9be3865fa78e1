#!/usr/bin/python3
"""Time from starting a program to the mapping of its first top-level window, on a private virtual
display (no window manager), as the median of several starts; with --idle, also the resident memory and
processor time of one more start over that many seconds: first_paint.py <program> [starts] [--idle S]."""

import ctypes
import os
import statistics
import struct
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "e2e"))
from harness import Failure, Session  # noqa: E402

MAP_NOTIFY = 19
SUBSTRUCTURE_NOTIFY_MASK = 1 << 19


def one_start(x11, display, binary, env, folder):
    root = x11.XDefaultRootWindow(display)
    x11.XSelectInput(display, root, SUBSTRUCTURE_NOTIFY_MASK)
    x11.XSync(display, 1)  # drop what came before
    event = ctypes.create_string_buffer(192)
    begun = time.monotonic()
    program = subprocess.Popen([binary], cwd=folder, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        while time.monotonic() - begun < 20:
            if x11.XPending(display) == 0:
                time.sleep(0.0005)
                continue
            x11.XNextEvent(display, event)
            kind = struct.unpack_from("i", event, 0)[0]
            override = struct.unpack_from("i", event, 48)[0]
            if kind == MAP_NOTIFY and not override:
                return (time.monotonic() - begun) * 1000.0
        raise Failure("no window was mapped")
    finally:
        program.terminate()
        program.wait()


def idle_use(binary, env, folder, span):
    from measure_resources import cpu_seconds, resident_files, rss_kib

    program = subprocess.Popen([binary], cwd=folder, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        time.sleep(2)
        t0, c0 = time.monotonic(), cpu_seconds(program.pid)
        peak = 0
        while time.monotonic() - t0 < span:
            time.sleep(1)
            peak = max(peak, rss_kib(program.pid))
        t1, c1 = time.monotonic(), cpu_seconds(program.pid)
        print(f"VmRSS {rss_kib(program.pid) / 1024:.1f} MiB at the end, {peak / 1024:.1f} MiB at most")
        print(f"CPU {c1 - c0:.3f} s = {100.0 * (c1 - c0) / (t1 - t0):.3f} % of one core")
        for path, kib in resident_files(program.pid):
            print(f"resident {kib} KiB {path}")
    finally:
        program.terminate()
        program.wait()


def main():
    args = sys.argv[1:]
    idle = 0.0
    if "--idle" in args:
        i = args.index("--idle")
        idle = float(args[i + 1])
        del args[i:i + 2]
    if not args:
        print(__doc__)
        return 2
    starts = int(args[1]) if len(args) > 1 else 7
    x11 = ctypes.CDLL("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    for name in ("XDefaultRootWindow", "XSelectInput", "XSync", "XPending", "XNextEvent", "XCloseDisplay"):
        getattr(x11, name).argtypes = [ctypes.c_void_p] + {"XSelectInput": [ctypes.c_ulong, ctypes.c_long],
                                                           "XSync": [ctypes.c_int],
                                                           "XNextEvent": [ctypes.c_void_p]}.get(name, [])
    x11.XDefaultRootWindow.restype = ctypes.c_ulong
    s = Session(args[0])
    try:
        display = x11.XOpenDisplay(s.display.encode())
        if not display:
            raise Failure("cannot open the display")
        times = [one_start(x11, display, s.binary, s.env, s.folder) for _ in range(starts)]
        x11.XCloseDisplay(display)
        print(f"first window mapped {statistics.median(times):.0f} ms after the start (median of {starts}; "
              f"{min(times):.0f} to {max(times):.0f})")
        if idle > 0:
            idle_use(s.binary, s.env, s.folder, idle)
    finally:
        s.close()
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except Failure as e:
        print(f"FAIL: {e}")
        sys.exit(1)
