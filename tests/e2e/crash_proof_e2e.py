#!/usr/bin/python3
"""Crash proof: usage crash_proof_e2e.py <program> <record tool> <rename-faults library> [seed]

Runs the real program under Xvfb with NetworkManager played on a private bus, connects and
disconnects, and kills it with SIGKILL at random instants: during start-up (while an interrupted
connection is restored), while a connection opens and is counted, while the crash state is written
and while a connection closes. Between runs, a tool that edits records through the program's own
record editor is started on the same data folder and killed at random instants too. A preloaded
library slows every file replacement down a little, so that timed kills land between the writes of
one operation, and, while a switch file is armed, kills the process itself just before or after a
random one of its writes (of a closing, of a restore, of the crash state, of a record edit).

After every restart: both INI files parse strictly, every connection seen counting is recorded
exactly once (and no shorter than its last length seen), no record is duplicated or lost, and the
plan totals equal what the records imply. Ends with "N kills, N records, 0 lost, 0 duplicated".

The run goes on until it has made TARGET_KILLS kills, however long a busy machine takes for them.
Its random choices come from a seed, fixed unless given as an argument or in VQ_CRASH_SEED; the seed
is printed first, so that a failing run can be replayed with the same choices.
"""

import os
import random
import re
import signal
import subprocess
import sys
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from harness import Failure, Session, duration, seconds, wait_for  # noqa: E402

SEP = "     |     "
PLAN = "Maison"
TOOL_DATE = "01/01/2030"
BASE_TEMPS, BASE_AVF = "100:00:00", "400:00:00"
TARGET_KILLS = 210
DEFAULT_SEED = 20261208
FAKETIME_LIB = "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1"
# The program's clock starts each run at the same date and time, a fixed offset from the real one,
# so that no run crosses midnight and the records' dates do not depend on the machine.
FAKE_START = 1773136800  # 2026-03-10 10:00:00 UTC

SECTION = re.compile(r"^\s*\[[^\[\]]*\]\s*$")
KEY_VALUE = re.compile(r"^\s*[^=\[;#\s][^=]*=.*$")


class Broken(Failure):
    pass


def strict_ini(path):
    """Sections and keys (folded to lower case, first occurrence kept); fails on any line that is not
    a section header, key=value, comment or blank, or on bytes that are not UTF-8."""
    data = {}
    if not os.path.exists(path):
        return data
    with open(path, "rb") as f:
        raw = f.read()
    try:
        text = raw.decode("utf-8")
    except UnicodeDecodeError as e:
        raise Broken(f"{os.path.basename(path)} is not UTF-8: {e}")
    if text.startswith("\ufeff"):
        text = text[1:]
    section = None
    for number, line in enumerate(text.split("\n"), 1):
        line = line.rstrip("\r")
        s = line.strip()
        if not s or s.startswith(";") or s.startswith("#"):
            continue
        if SECTION.match(line):
            section = data.setdefault(s[1:-1].strip().lower(), {})
        elif KEY_VALUE.match(line) and section is not None:
            k, v = line.split("=", 1)
            section.setdefault(k.strip().lower(), v.strip())
        else:
            raise Broken(f"{os.path.basename(path)} line {number} is broken: {line[:120]!r}")
    return data


def record_list(option):
    counter = option.get("nbdent", {}).get("n°", "")
    try:
        n = int(counter)
    except ValueError:
        n = 0
    stored = option.get("enregistrement", {})
    return [stored[str(k)] for k in range(0, n + 1) if stored.get(str(k))]


class Ledger:
    """What the files must hold: the connections seen counting and the tool's records."""

    def __init__(self):
        self.lock = threading.Lock()
        self.connections = {}  # (date, start) -> {"longest": seconds, "run": run that counted it}
        self.tool = {}         # start -> record line, or None once removed
        self.journal_read = 0
        self.kills = 0
        self.tool_kills = 0
        self.open_at_kill = 0      # kills that left a connection for the next start to restore
        self.recorded_at_kill = 0  # ... of which the record was already stored (closing cut short)
        self.lost = 0
        self.duplicated = 0

    def seen(self, tempo, run):
        if tempo.get("ouinon") not in ("2", "3"):
            return
        length = tempo.get("tempspassé", "")
        if not re.fullmatch(r"\d{2,3}:\d{2}:\d{2}", length):
            return
        key = (tempo.get("date", ""), tempo.get("heuredep", ""))
        with self.lock:
            c = self.connections.setdefault(key, {"longest": 0, "run": run,
                                                  "first": (time.monotonic(), seconds(length))})
            c["longest"] = max(c["longest"], seconds(length))

    def read_journal(self, path, option_records):
        """Takes the tool's journal lines written since the last call; an operation the kill cut short
        counts as done or not done according to what the file holds."""
        if not os.path.exists(path):
            return
        with open(path, encoding="utf-8") as f:
            f.seek(self.journal_read)
            text = f.read()
            self.journal_read = f.tell()
        present = set(option_records)
        for entry in text.splitlines():
            what, _, rest = entry.partition(" ")
            if what == "add":
                self.tool[rest.split(SEP)[1]] = rest
            elif what == "del":
                self.tool[rest.split(SEP)[1]] = None
            elif what == "mod":
                old, new = rest.split("\t")
                self.tool[new.split(SEP)[1]] = new
            elif what == "add?":
                self.tool[rest.split(SEP)[1]] = rest if rest in present else None
            elif what == "del?":
                self.tool[rest.split(SEP)[1]] = rest if rest in present else None
            elif what == "mod?":
                old, new = rest.split("\t")
                self.tool[new.split(SEP)[1]] = new if new in present else old


class CrashProof:
    def __init__(self, program, tool, faults, seed):
        self.rng = random.Random(seed)
        self.s = Session(program)
        self.tool = tool
        self.ledger = Ledger()
        self.journal = os.path.join(self.s.tmp, "tool-journal.txt")
        self.switch = os.path.join(self.s.tmp, "kill-switch")
        self.run_number = 0
        self.connected = False
        self.current = None
        offset = FAKE_START - int(time.time())
        self.s.env.update({
            "LD_PRELOAD": f"{FAKETIME_LIB}:{faults}",
            "VQ_KILL_SWITCH": self.switch,
            "FAKETIME": f"{offset:+d}",
            "DONT_FAKE_MONOTONIC": "1",
            "TZ": "UTC",
        })
        self.option_path = os.path.join(self.s.folder, "option.ini")
        self.tempo_path = os.path.join(self.s.folder, "tempo.ini")
        self.s.write_option({
            "Typeconex": {"Forfait": PLAN, "Version": "0"},
            "Forfaits": {PLAN: f"/1/0/0/0/0/500/00:00:00/00:00:00"},
            f"Dernc {PLAN}": {"temps": BASE_TEMPS, "avf": BASE_AVF, "prix": "0", "forfaitdep": "2"},
        })
        self.watching = False
        self.watcher = threading.Thread(target=self._watch, daemon=True)
        self.watcher.start()

    # ---- observing -------------------------------------------------------------------------------

    def _tempo(self):
        return strict_ini(self.tempo_path).get("plantage", {})

    def _watch(self):
        while True:
            if self.watching:
                try:
                    self.ledger.seen(self._tempo(), self.run_number)
                except (Broken, OSError):
                    pass  # checked strictly after every restart
            time.sleep(0.02)

    def counting(self):
        """True once the running program's own connection has been seen counting."""
        t = self._tempo()
        self.ledger.seen(t, self.run_number)
        key = (t.get("date"), t.get("heuredep"))
        with self.ledger.lock:
            c = self.ledger.connections.get(key)
        self.current = key
        return t.get("ouinon") == "2" and c is not None and c["run"] == self.run_number

    def recorded(self, key):
        at = SEP + key[1] + SEP + key[0] + SEP
        try:
            return any(at in line for line in record_list(strict_ini(self.option_path)))
        except Broken:
            return False

    # ---- the program -----------------------------------------------------------------------------

    def launch(self):
        self.run_number += 1
        self.s.launch()
        self.watching = True

    def arm(self, probability):
        """From now on each file replacement kills the process with this probability."""
        with open(self.switch + ".new", "w") as f:
            f.write(f"{probability}\n")
        os.replace(self.switch + ".new", self.switch)

    def disarm(self):
        if os.path.exists(self.switch):
            os.remove(self.switch)

    def died(self, timeout, done=lambda: False):
        """Waits up to `timeout` seconds for the program to kill itself at one of its writes, or for
        the writes aimed at to be over."""
        end = time.monotonic() + timeout
        while self.s.program.poll() is None and time.monotonic() < end and not done():
            time.sleep(0.01)
        self.disarm()

    def kill(self):
        self.watching = False
        self.disarm()
        p = self.s.program
        killed_at = time.monotonic()
        if p.poll() is None:
            p.send_signal(signal.SIGKILL)
            p.wait(10)
        elif p.returncode != -signal.SIGKILL:
            raise Failure(f"the program ended with status {p.returncode}")
        self.ledger.kills += 1
        # Nothing changes the files from here on: this is what the next start finds.
        tempo = self._tempo()
        self.ledger.seen(tempo, self.run_number)
        if tempo.get("ouinon") in ("2", "3"):
            # While still connected, what the next start restores lags the connection by about a
            # second at most (the state is rewritten every 930 ms; one more second for whole seconds
            # and the tick, one for a slow machine): the time since it was first seen counting tells
            # how long it really is.
            with self.ledger.lock:
                c = self.ledger.connections.get((tempo.get("date", ""), tempo.get("heuredep", "")))
            length = tempo.get("tempspassé", "")
            if (self.connected and c is not None and c["run"] == self.run_number
                    and re.fullmatch(r"\d{2,3}:\d{2}:\d{2}", length)):
                seen_at, seen_length = c["first"]
                behind = seen_length + (killed_at - seen_at) - seconds(length)
                if behind > 3:
                    raise Failure(f"a kill lost {behind:.1f} s of the connection {tempo}")
            self.ledger.open_at_kill += 1
            if self.recorded((tempo.get("date", ""), tempo.get("heuredep", ""))):
                self.ledger.recorded_at_kill += 1

    def kill_during_start_up(self):
        """Starts the program and kills it within its first second (start-up, restore, first tick)."""
        self.run_number += 1
        log = open(os.path.join(self.s.tmp, "program.log"), "ab")
        p = subprocess.Popen([self.s.binary], cwd=self.s.tmp, env=self.s.env, stdout=log,
                             stderr=subprocess.STDOUT)
        self.s.program = p
        if self.rng.random() < 0.5:
            time.sleep(self.rng.uniform(0.02, 0.9))
        else:
            self.arm(0.5)  # at one of the writes of the restore or of the start-up
            self.died(1.5)
        self.kill()

    def connect(self):
        if not self.connected:
            self.s.connect(name="Box")
            self.connected = True

    def disconnect(self):
        if self.connected:
            self.s.disconnect()
            self.connected = False

    # ---- the record tool -------------------------------------------------------------------------

    def tool_phase(self):
        for _ in range(self.rng.randint(4, 8)):
            seed = self.rng.randrange(1 << 30)
            armed = self.rng.random() < 0.4
            if armed:
                self.arm(0.15)  # at one of the writes of a record edit
            p = subprocess.Popen([self.tool, self.s.folder, PLAN, str(seed), str(self.rng.randint(3, 30)),
                                  self.journal], env=self.s.env, stdout=subprocess.DEVNULL,
                                 stderr=subprocess.PIPE)
            try:
                p.wait(2 if armed else self.rng.uniform(0.005, 0.25))
            except subprocess.TimeoutExpired:
                p.send_signal(signal.SIGKILL)
                p.wait()
            self.disarm()
            if p.returncode == -signal.SIGKILL:
                self.ledger.tool_kills += 1
                continue
            if p.returncode != 0:
                raise Failure(f"record tool ended with status {p.returncode}: {p.stderr.read()!r}")

    # ---- the checks ------------------------------------------------------------------------------

    def verify(self, final=False):
        option = strict_ini(self.option_path)
        strict_ini(self.tempo_path)
        lines = record_list(option)
        ledger = self.ledger
        ledger.read_journal(self.journal, lines)
        duplicated = 0
        by_connection, tool_seen, unexplained = {}, {}, []
        for line in lines:
            f = line.split(SEP)
            if len(f) != 4 or f[3] != PLAN:
                unexplained.append(line)
            elif f[2] == TOOL_DATE:
                tool_seen.setdefault(f[1], []).append(line)
            else:
                by_connection.setdefault((f[2], f[1]), []).append(line)
        problems = []
        with ledger.lock:
            connections = dict(ledger.connections)
        for key, found in by_connection.items():
            if key not in connections:
                unexplained.extend(found)
            elif len(found) > 1:
                duplicated += len(found) - 1
                problems.append(f"connection {key} recorded {len(found)} times: {found}")
            elif seconds(found[0].split(SEP)[0]) < connections[key]["longest"]:
                problems.append(f"connection {key} recorded as {found[0].split(SEP)[0]}, "
                                f"but it was seen counting {duration(connections[key]['longest'])}")
        lost = 0
        for key, c in connections.items():
            settled = final or c["run"] < self.run_number
            if settled and key not in by_connection:
                lost += 1
                problems.append(f"connection {key} seen counting ({duration(c['longest'])}) was never recorded")
        for start, expected in ledger.tool.items():
            found = tool_seen.get(start, [])
            if expected is None and found:
                problems.append(f"removed record still there: {found}")
            elif expected is not None and found != [expected]:
                if not found:
                    lost += 1
                problems.append(f"tool record {expected!r} found as {found}")
        for start in tool_seen:
            duplicated += len(tool_seen[start]) - 1
            if start not in ledger.tool:
                unexplained.extend(tool_seen[start])
        if unexplained:
            problems.append(f"records nobody made: {unexplained}")
        if duplicated:
            problems.append(f"{duplicated} duplicated record(s)")
        total = sum(seconds(line.split(SEP)[0]) for line in lines if line.split(SEP)[-1] == PLAN)
        totals = option.get(f"dernc {PLAN}".lower(), {})
        want_temps = duration(seconds(BASE_TEMPS) + total)
        want_avf = duration(seconds(BASE_AVF) - total)
        if totals.get("temps") != want_temps or totals.get("avf") != want_avf:
            problems.append(f"totals temps={totals.get('temps')} avf={totals.get('avf')}, "
                            f"the records imply temps={want_temps} avf={want_avf}")
        ledger.lost += lost
        ledger.duplicated += duplicated
        if problems:
            raise Failure("after run %d: %s" % (self.run_number, "; ".join(problems)))
        return lines

    # ---- the run ---------------------------------------------------------------------------------

    def scenario(self):
        """One run of the program ended by a kill at a random instant."""
        kind = self.rng.choices(["count", "close", "idle"], weights=[40, 40, 20])[0]
        if kind == "count":
            # Killed while the connection opens, is counted or has its crash state written.
            self.connect()
            if self.rng.random() < 0.7:
                time.sleep(self.rng.uniform(0.0, 2.5))
            else:
                self.arm(0.3)
                self.died(3)
        elif kind == "close":
            self.connect()
            wait_for("the connection to be counted", self.counting, timeout=10, step=0.02)
            time.sleep(self.rng.uniform(0.0, 1.0))
            self.disconnect()
            if self.rng.random() < 0.5:
                time.sleep(self.rng.uniform(0.0, 1.2))
            else:
                self.arm(0.5)  # at one of the closing's writes
                self.died(3, lambda: self._tempo().get("ouinon") == "1")
        else:
            self.connect()
            wait_for("the connection to be counted", self.counting, timeout=10, step=0.02)
            self.disconnect()
            wait_for("the connection to close", lambda: self._tempo().get("ouinon") == "1", timeout=10,
                     step=0.02)
            time.sleep(self.rng.uniform(0.0, 0.5))
        self.kill()

    def run(self):
        began = time.monotonic()
        self.launch()
        self.verify()
        # Every scenario ends with a kill of the program, so the target is always reached.
        while self.ledger.kills + self.ledger.tool_kills < TARGET_KILLS:
            self.scenario()
            # Records are edited only while no copy of the program runs and nothing waits to be
            # restored, as when the user edits them in the records window of a program that started.
            if self._tempo().get("ouinon") != "2" and self.rng.random() < 0.8:
                self.tool_phase()
            if self.rng.random() < 0.5:
                self.disconnect()
            if self.rng.random() < 0.3:
                for _ in range(self.rng.randint(1, 3)):
                    self.kill_during_start_up()
            self.launch()
            self.verify()
        # The last run closes its connection cleanly: every connection is then settled.
        self.connect()
        wait_for("the connection to be counted", self.counting, timeout=10, step=0.02)
        self.disconnect()
        wait_for("the connection to close", lambda: self._tempo().get("ouinon") == "1", timeout=10, step=0.02)
        self.watching = False
        self.s.kill()
        lines = self.verify(final=True)
        return lines, time.monotonic() - began


def main():
    if len(sys.argv) not in (4, 5):
        print(__doc__)
        return 2
    seed = int(sys.argv[4]) if len(sys.argv) == 5 else int(os.environ.get("VQ_CRASH_SEED", DEFAULT_SEED))
    print(f"seed {seed} (replay with VQ_CRASH_SEED={seed})", flush=True)
    proof = None
    status = 0
    try:
        proof = CrashProof(*(os.path.abspath(a) for a in sys.argv[1:4]), seed)
        lines, took = proof.run()
        ledger = proof.ledger
        print(f"{ledger.kills} program kills ({ledger.open_at_kill} with a connection to restore, "
              f"{ledger.recorded_at_kill} of them already recorded), {ledger.tool_kills} tool kills, "
              f"{len(ledger.connections)} connections seen counting, {took:.0f} s")
    except Failure as e:
        status = 1
        print(f"FAIL: {e}")
        if proof is not None:
            log = os.path.join(proof.s.tmp, "program.log")
            if os.path.exists(log):
                with open(log, errors="replace") as f:
                    tail = f.read()[-1500:]
                if tail.strip():
                    print(tail)
    finally:
        if proof is not None:
            ledger = proof.ledger
            try:
                count = len(record_list(strict_ini(proof.option_path)))
            except Broken:
                count = -1
            print(f"{ledger.kills + ledger.tool_kills} kills, {count} records, {ledger.lost} lost, "
                  f"{ledger.duplicated} duplicated")
            proof.s.close()
    return status


if __name__ == "__main__":
    sys.exit(main())
