#!/usr/bin/python3
"""One running copy per data folder: usage single_instance_e2e.py <program>

  - a second start while the program runs brings back its hidden main window and ends at once with
    status 0, touching no file;
  - a copy that does not answer (as one that is ending during a restart) is waited for, and the new
    copy starts as soon as the old one is gone;
  - after a kill -9, and with a lock file that names no owner, the program starts again;
  - its socket lives in the user's runtime folder, never in the temporary folder, and the one a
    killed copy left is taken over: a second start still reaches the new copy.
"""

import os
import shutil
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from harness import REDUCE_AT, Failure, Session, wait_for  # noqa: E402

MAISON = {
    "Typeconex": {"Forfait": "Maison", "Version": "0"},
    "Forfaits": {"Maison": "/1/0/0/0/0/20/00:00:00/00:00:00"},
    "Dernc Maison": {"temps": "01:00:00", "avf": "19:00:00", "prix": "0", "forfaitdep": "2"},
}


def check(condition, message):
    if not condition:
        raise Failure(message)


def files(s):
    out = {}
    for name in ("option.ini", "tempo.ini"):
        with open(os.path.join(s.folder, name), "rb") as f:
            out[name] = f.read()
    return out


def second_copy(s):
    started = time.monotonic()
    p = subprocess.Popen([s.binary], cwd=s.tmp, env=s.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        status = p.wait(15)
    except subprocess.TimeoutExpired:
        p.kill()
        raise Failure("the second copy kept running")
    return status, time.monotonic() - started, p


def scenario(s):
    for tool in ("xdotool", "xwininfo", "trayer"):
        if shutil.which(tool) is None:
            raise Failure(f"missing tool {tool} (scripts/setup.sh installs it)")
    # A notification area, so that "Réduire" hides the window in it.
    tray = subprocess.Popen(["trayer"], env=s.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    s.procs.append(tray)
    # A temporary folder of the test's own, to see that nothing is left in it.
    s.env["TMPDIR"] = os.path.join(s.tmp, "tmpdir")
    os.makedirs(s.env["TMPDIR"])
    s.write_option(MAISON)
    pid = s.launch()
    wid = s.window(pid)
    wait_for("the notification icon to dock in the area", lambda: s.icon_embedded(pid))
    s.click(wid, REDUCE_AT)
    wait_for("the main window to hide", lambda: not s.viewable(wid), timeout=5)
    before = files(s)

    status, took, _ = second_copy(s)
    check(status == 0, f"the second copy ended with status {status}")
    check(took < 5, f"the second copy took {took:.1f} s to end")
    wait_for("the first copy's main window to come back", lambda: s.viewable(wid), timeout=5)
    check(s.program.poll() is None, "the first copy ended")
    check(files(s) == before, "the second copy changed the files")
    print(f"second start: status 0 after {took:.1f} s, main window shown again")

    # A copy that does not answer, as one ending for a restart: the new copy waits for it.
    s.program.send_signal(signal.SIGSTOP)
    p = subprocess.Popen([s.binary], cwd=s.tmp, env=s.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    time.sleep(1.5)
    check(p.poll() is None, f"the new copy gave up at once (status {p.poll()})")
    s.program.send_signal(signal.SIGKILL)
    s.program.wait(5)
    s.program = p
    s.window(p.pid)
    check(p.poll() is None, "the new copy did not start once the old one was gone")
    print("restart: the new copy started once the old one had gone")

    # Killed outright: its lock is stale and the next start goes ahead.
    s.kill()
    sockets = [n for n in os.listdir(s.env["XDG_RUNTIME_DIR"]) if n.startswith("varlotte-qyr-")]
    check(len(sockets) == 1, f"sockets in the runtime folder after kill -9: {sockets}")
    check(os.listdir(s.env["TMPDIR"]) == [], f"left in the temporary folder: {os.listdir(s.env['TMPDIR'])}")
    s.launch()
    status, took, _ = second_copy(s)
    check(status == 0 and took < 5 and s.program.poll() is None,
          f"a second start did not reach the copy that took over the socket (status {status}, {took:.1f} s)")
    print("start after kill -9: started, and took over the socket left behind")
    s.kill()

    # A lock file with no owner in it (its writer died creating it): taken over after the wait.
    open(os.path.join(s.folder, "varlotte.lock"), "wb").close()
    started = time.monotonic()
    s.launch()
    print(f"start over an empty lock file: started after {time.monotonic() - started:.1f} s")


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    session = None
    try:
        session = Session(sys.argv[1])
        scenario(session)
        print("PASS single instance")
        return 0
    except Failure as e:
        print(f"FAIL: {e}")
        return 1
    finally:
        if session is not None:
            session.close()


if __name__ == "__main__":
    sys.exit(main())
