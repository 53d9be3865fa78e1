#!/usr/bin/python3
"""Counting scenarios on the real program: usage counting_e2e.py <program> <scenario>...

  close    connect for a few seconds, disconnect: one record, totals grown by its length
  crash    connect, kill -9, restart: the connection recorded once with the last totals
  metered  a metered connection named after a saved plan selects that plan and counts under it
  price    a plan without allowance prices its decimal first-minute price in the locale's own format
  cli      --status, --json and --export-csv beside a counting copy, without a display, writing nothing
"""

import csv
import json
import os
import subprocess
import signal
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from harness import Failure, Session, duration, seconds, wait_for  # noqa: E402

SEP = "     |     "
SCENARIO_SECONDS = 90

MAISON = {
    "Typeconex": {"Forfait": "Maison", "Version": "0"},
    "Forfaits": {"Maison": "/1/0/0/0/0/20/00:00:00/00:00:00"},
    "Dernc Maison": {"temps": "01:00:00", "avf": "19:00:00", "prix": "0", "forfaitdep": "2"},
}


def check(condition, message):
    if not condition:
        raise Failure(message)


def records(s):
    opt = s.option()
    lines = [v for _, v in sorted(opt.get("enregistrement", {}).items(), key=lambda kv: int(kv[0])) if v]
    return lines, opt.get("nbdent", {}).get("n°", "")


def counted_for(s, at_least):
    def ready():
        t = s.tempo()
        return t.get("ouinon") == "2" and seconds(t.get("tempspassé", "00:00:00")) >= at_least
    wait_for(f"a counted connection of {at_least} s in tempo.ini", ready)


def ticked_on(s):
    """Connects and waits for the crash-state write of the new connection: the program has ticked
    since, so whatever its ticks before would have written is on disk."""
    s.connect(name="Box")
    counted_for(s, 1)


def scenario_close(s):
    s.write_option(MAISON)
    s.launch()
    s.connect(name="Box")  # a network that is not billed leaves the plan alone
    counted_for(s, 3)
    check(records(s)[0] == [], "a record appeared before the connection ended")
    s.disconnect()
    wait_for("the connection to close", lambda: s.tempo().get("ouinon") == "1")
    lines, counter = records(s)
    check(len(lines) == 1, f"expected one record, found {lines}")
    check(counter == "1", f"record counter {counter!r}")
    length, start, date, plan = lines[0].split(SEP)
    check(plan == "Maison", f"record filed under {plan!r}")
    check(seconds(length) >= 3, f"record length {length}")
    totals = s.option()["dernc maison"]
    check(totals["temps"] == duration(3600 + seconds(length)), f"temps {totals['temps']} after {length}")
    check(totals["avf"] == duration(19 * 3600 - seconds(length)), f"avf {totals['avf']} after {length}")
    ticked_on(s)
    check(len(records(s)[0]) == 1, "idle ticks added records")


def scenario_crash(s):
    s.write_option(MAISON)
    s.launch()
    s.connect(name="Box")
    counted_for(s, 3)
    s.kill()
    last = s.tempo()
    check(last.get("ouinon") == "2", "the state file does not show the open connection")
    check(records(s)[0] == [], "the open connection was recorded before it ended")
    s.disconnect()
    s.launch()
    lines, counter = records(s)
    expected = SEP.join([last["tempspassé"], last["heuredep"], last["date"], "Maison"])
    check(lines == [expected], f"expected [{expected}], found {lines}")
    check(counter == "1", f"record counter {counter!r}")
    totals = s.option()["dernc maison"]
    check(totals["temps"] == last["tempstotal"], f"temps {totals['temps']}, last shown {last['tempstotal']}")
    check(totals["avf"] == last["tempsrestant"], f"avf {totals['avf']}, last shown {last['tempsrestant']}")
    check(s.tempo().get("ouinon") == "1", "the state flag was not reset")
    # A second start finds nothing more to restore.
    s.kill()
    s.launch()
    ticked_on(s)
    check(len(records(s)[0]) == 1, "the connection was recorded twice")


def scenario_metered(s):
    option = dict(MAISON)
    option["Forfaits"] = dict(MAISON["Forfaits"], Mobile="/1/0,1/0,05/0/0/05/00:00:00/00:00:00")
    option["Dernc Mobile"] = {"temps": "02:00:00", "avf": "03:00:00", "prix": "0", "forfaitdep": "2"}
    s.write_option(option)
    s.launch()
    s.connect(name="Mobile", metered=True)
    counted_for(s, 2)
    wait_for("the plan in use to become Mobile",
             lambda: s.option().get("typeconex", {}).get("forfait") == "Mobile")
    s.disconnect()
    wait_for("the connection to close", lambda: s.tempo().get("ouinon") == "1")
    lines, _ = records(s)
    check(len(lines) == 1, f"expected one record, found {lines}")
    length, _, _, plan = lines[0].split(SEP)
    check(plan == "Mobile", f"record filed under {plan!r}")
    opt = s.option()
    check(opt["dernc mobile"]["temps"] == duration(7200 + seconds(length)), f"Mobile temps {opt['dernc mobile']}")
    check(opt["dernc maison"]["temps"] == "01:00:00", f"Maison temps changed: {opt['dernc maison']}")


def scenario_price(s):
    # Priced from the first second: 0,5 for the first minute on top of the 1,25 already due.
    option = dict(MAISON)
    option["Typeconex"] = {"Forfait": "Mobile", "Version": "0"}
    option["Forfaits"] = dict(MAISON["Forfaits"], Mobile="/1/0,5/0,25/0/0/00/00:00:00/00:00:00")
    option["Dernc Mobile"] = {"temps": "00:00:00", "avf": "00:00:00", "prix": "1,25", "forfaitdep": "1"}
    s.write_option(option)
    s.launch()
    s.connect(name="Box")
    counted_for(s, 2)
    s.disconnect()
    wait_for("the connection to close", lambda: s.tempo().get("ouinon") == "1")
    lines, _ = records(s)
    check(len(lines) == 1 and lines[0].endswith(SEP + "Mobile"), f"expected one Mobile record, found {lines}")
    check(seconds(lines[0].split(SEP)[0]) < 60, f"the connection lasted a minute or more: {lines}")
    mark = "." if s.locale.startswith("en_") else ","
    prix = s.option()["dernc mobile"]["prix"]
    check(prix == f"1{mark}75", f"prix {prix!r} under {s.locale}, expected 1{mark}75")


def scenario_cli(s):
    plan = 'Soir, "été"'
    old = [SEP.join(["01:00:00", "20:13:05", "08/11/2026", plan]), SEP.join(["00:10:00", "09:00:00", "01/12/2026", "Maison"])]
    option = dict(MAISON)
    option["Typeconex"] = {"Forfait": plan, "Version": "0"}
    option["Forfaits"] = {plan: "/1/0/0,02/0/0/20/00:00:00/00:00:00", **MAISON["Forfaits"]}
    option[f"Dernc {plan}"] = {"temps": "01:00:00", "avf": "19:00:00", "prix": "0", "forfaitdep": "2"}
    option["Enregistrement"] = {"1": old[0], "2": old[1]}
    option["nbdent"] = {"n°": "2"}
    s.write_option(option)
    s.launch()
    # No display, no bus: the command line needs neither.
    env = {k: v for k, v in s.env.items() if k not in ("DISPLAY", "QT_QPA_PLATFORM", "DBUS_SESSION_BUS_ADDRESS")}
    out = os.path.join(s.tmp, "out.csv")

    def run(*args, status=0):
        r = subprocess.run([s.binary, *args], env=env, cwd=s.tmp, capture_output=True, text=True, timeout=20)
        check(r.returncode == status, f"{args}: status {r.returncode}, stderr {r.stderr!r}")
        return r

    def exported(*args):
        run("--export-csv", out, *args)
        with open(out, newline="", encoding="utf-8") as f:
            return list(csv.reader(f))

    def row(line):
        length, start, date, name = line.split(SEP)
        d, m, y = date.split("/")
        return [str(seconds(length)), length, f"{y}-{m}-{d}T{start}", name]

    def files():
        # The store replaces a file to write it: a new inode, even within the clock's granularity.
        def stamp(n):
            st = os.stat(os.path.join(s.folder, n))
            return st.st_ino, st.st_mtime_ns, open(os.path.join(s.folder, n), "rb").read()
        return {n: stamp(n) for n in os.listdir(s.folder)}

    # First calls, on an idle program whose files stay as they are (launch() has seen its last
    # start-up write): the command line writes nothing.
    before, folder_mtime = files(), os.stat(s.folder).st_mtime_ns
    header = ["Durée (s)", "Durée", "Début", "Forfait"]
    check(exported() == [header] + [row(l) for l in old], f"export: {exported()}")
    check(exported("--plan", plan, "--month", "2026-11") == [header, row(old[0])], "export of one plan and month")
    check(not json.loads(run("--status", "--json").stdout)["counting"], "counting before any connection")
    check(run("--statut", status=2).stderr.startswith("Varlotte : "), "a bad argument refused without a message")
    check(files() == before and os.stat(s.folder).st_mtime_ns == folder_mtime,
          "the command line wrote to the data folder")

    # Beside a counting copy: the open connection is in the figures.
    s.connect(name="Box")
    counted_for(s, 2)
    figures = json.loads(run("--status", "--json").stdout)
    check(figures["plan"] == plan and figures["counting"], f"status while counting: {figures}")
    check(figures["used_seconds"] >= 3602 and figures["allowance_seconds"] == 72000, f"figures {figures}")
    text = run("--status").stdout
    check(f"Forfait : {plan}\n" in text and "Connexion en cours : oui\n" in text, f"status text {text!r}")
    check(exported() == [header] + [row(l) for l in old], "export while counting")
    s.disconnect()
    wait_for("the connection to close", lambda: s.tempo().get("ouinon") == "1")
    lines, _ = records(s)
    check(exported() == [header] + [row(l) for l in lines] and len(lines) == 3, "export after the connection")
    s.running()


SCENARIOS = {"close": scenario_close, "crash": scenario_crash, "metered": scenario_metered,
             "price": scenario_price, "cli": scenario_cli}


def main():
    if len(sys.argv) < 3 or any(n not in SCENARIOS for n in sys.argv[2:]):
        print(__doc__)
        return 2
    failed = 0
    for name in sys.argv[2:]:
        def too_long(*_):
            raise Failure(f"scenario took more than {SCENARIO_SECONDS} s")
        signal.signal(signal.SIGALRM, too_long)
        signal.alarm(SCENARIO_SECONDS)
        session = None
        try:
            session = Session(sys.argv[1])
            SCENARIOS[name](session)
            print(f"PASS {name}")
        except Failure as e:
            failed += 1
            print(f"FAIL {name}: {e}")
            if session is not None:
                log = os.path.join(session.tmp, "program.log")
                if os.path.exists(log):
                    with open(log, errors="replace") as f:
                        print(f.read()[-2000:])
        finally:
            signal.alarm(0)
            if session is not None:
                session.close()
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
