#!/usr/bin/python3
"""The program's windows on a desktop: usage desktop_e2e.py <program> status_notifier|no_area|notifications

  status_notifier  a notification area of the D-Bus kind: a click on the icon brings back the main
                   window that "Réduire" or the window manager put away; the about box and the skin
                   chooser closed by the window manager bring the main window back;
  no_area          no notification area and no notification service: the skin chooser closed by the
                   window manager brings the main window back, and the main window closed by it stays
                   on screen; the month's pace is noted as said but no notification is sent; the
                   program runs on;
  notifications    a desktop notification service: the month's pace, then 80 % and, after a restart,
                   100 % of a one-hour allowance are each notified once, nothing below 80 %.
"""

import os
import re
import subprocess
import sys
import threading

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from harness import (ABOUT_AT, ABOUT_WIDTH, CHOOSER_WIDTH, REDUCE_AT, SKIN_AT, Failure, Session,  # noqa: E402
                     clock_at, seconds, wait_for)


MAISON = {
    "Typeconex": {"Forfait": "Maison", "Version": "0"},
    "Forfaits": {"Maison": "/1/0/0/0/0/20/00:00:00/00:00:00"},
    "Dernc Maison": {"temps": "01:00:00", "avf": "19:00:00", "prix": "0", "forfaitdep": "2"},
}


def shown_again(s, wid, after):
    wait_for(f"the main window to come back after {after}", lambda: s.viewable(wid), timeout=5)
    s.running()


def closed_by_window_manager(s, pid, wid, button, width):
    """Opens a window with a main-window button, which puts the main window away; the window manager
    closes it."""
    s.click(wid, button)
    wait_for("the main window to go away", lambda: not s.viewable(wid), timeout=5)
    s.close_window(s.window(pid, width))
    shown_again(s, wid, f"the window {width} pixels wide was closed")


def scenario_status_notifier(s, pid, wid):
    s.click(wid, REDUCE_AT)
    wait_for("\"Réduire\" to hide the main window", lambda: not s.viewable(wid), timeout=5)
    s.activate_icon()
    shown_again(s, wid, "a click on the icon")
    closed_by_window_manager(s, pid, wid, ABOUT_AT, ABOUT_WIDTH)
    closed_by_window_manager(s, pid, wid, SKIN_AT, CHOOSER_WIDTH)
    # The main window closed by the window manager goes into the icon, as with "Réduire".
    s.close_window(wid)
    wait_for("the closed main window to hide", lambda: not s.viewable(wid), timeout=5)
    s.activate_icon()
    shown_again(s, wid, "a click on the icon")


class SessionCalls:
    """The method calls seen on the session bus: (member, its first string argument or "")."""

    def __init__(self, address):
        self.calls = []
        self.proc = subprocess.Popen(["dbus-monitor", "--address", address, "type='method_call'"],
                                     stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        threading.Thread(target=self._read, daemon=True).start()
        # The monitor is in place once it reports the bus's signals about its own name.
        wait_for("dbus-monitor", lambda: self.calls)

    def _read(self):
        member = None
        for line in self.proc.stdout:
            found = re.search(r"member=(\w+)", line)
            if not line.startswith(" ") and found:
                member = found.group(1)
                self.calls.append((member, ""))
            elif member and line.lstrip().startswith('string "') and self.calls[-1] == (member, ""):
                self.calls[-1] = (member, line.strip()[len('string "'):-1])

    def asked_for(self, name):
        return ("NameHasOwner", name) in self.calls

    def stop(self):
        self.proc.terminate()
        self.proc.wait(timeout=10)


def scenario_no_area(s, pid, wid, calls):
    # The month's pace is due at the start: the program asks whether a notification service runs, and
    # notes the alert as said.
    wait_for("the month's pace to be noted", lambda: s.option().get("notifications", {}).get("2026-03-01 maison")
             == "projection")
    wait_for("the program to ask for the notification service", lambda: calls.asked_for("org.freedesktop.Notifications"))
    closed_by_window_manager(s, pid, wid, SKIN_AT, CHOOSER_WIDTH)
    # Without an icon to come back from, the main window closed by the window manager stays on screen.
    s.close_window(wid)
    # Seconds counted after the close prove that the program has handled it.
    s.connect(name="Box")
    counted_total(s, seconds("00:47:52"))
    if not s.viewable(wid):
        raise Failure("the closed main window left the screen with no icon to bring it back")
    s.running()
    if any(member == "Notify" for member, _ in calls.calls):
        raise Failure("a notification was sent to a desktop without a notification service")


# 2026-03-15 12:00:00 UTC: 14.5 days of the plan's 31-day billing month have gone.
MARCH_15_NOON = 1773576000
ONE_HOUR = {
    "Typeconex": {"Forfait": "Maison", "Version": "0"},
    "Forfaits": {"Maison": "/1/0/0/0/0/01/00:00:00/00:00:00"},
    "Dernc Maison": {"temps": "00:47:50", "avf": "00:12:10", "prix": "0", "forfaitdep": "2"},
}


def counted_total(s, at_least):
    wait_for(f"a month total of {at_least} in tempo.ini",
             lambda: s.tempo().get("ouinon") == "2" and seconds(s.tempo().get("tempstotal", "0:0:0")) >= at_least)


def scenario_notifications(s, pid, wid):
    # 00:47:50 in 14.5 days leads to 01:42 by the month's end: said at the start, before any counting.
    got = wait_for("the month's pace to be notified", s.notifications)
    if len(got) != 1 or got[0][0] != "Forfait Maison : dépassement prévu" or not re.fullmatch(
            r"Au rythme actuel, le temps du mois atteindra 01:42:1\d le 31/03/2026, pour un forfait de 1 h\.",
            got[0][1]):
        raise Failure(f"expected the month's pace alone at the start, got {got}")
    s.connect(name="Box")
    counted_total(s, seconds("00:47:56"))
    if len(s.notifications()) != 1:
        raise Failure(f"notified below 80 %: {s.notifications()}")
    got = wait_for("80 % to be notified", lambda: len(s.notifications()) >= 2 and s.notifications())
    if got[1] != ("Forfait Maison : 80 % utilisés", "Temps utilisé : 00:48:00 sur 1 h, temps restant : 00:12:00."):
        raise Failure(f"unexpected 80 % notification: {got[1]}")

    # The connection ends and is stored; the next run starts ten seconds short of the allowance.
    s.disconnect()
    wait_for("the connection to be stored", lambda: s.tempo().get("ouinon") == "1"
             and s.option().get("dernc maison", {}).get("temps") != "00:47:50")
    s.kill()
    path = os.path.join(s.folder, "option.ini")
    with open(path, encoding="utf-8") as f:
        text = f.read()
    text = re.sub(r"(?m)^temps=.*$", "temps=00:59:50", re.sub(r"(?m)^avf=.*$", "avf=00:00:10", text))
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)
    s.launch(clock_at(MARCH_15_NOON))
    s.connect(name="Box")
    got = wait_for("100 % to be notified", lambda: len(s.notifications()) >= 3 and s.notifications())
    if got[2] != ("Forfait Maison : 100 % utilisés", "Temps utilisé : 01:00:00 sur 1 h, temps restant : 00:00:00."):
        raise Failure(f"unexpected notifications after the restart: {got[2:]}")
    counted_total(s, seconds("01:00:03"))
    if len(s.notifications()) != 3:
        raise Failure(f"notified more than once: {s.notifications()}")
    sent = s.option().get("notifications", {}).get("2026-03-01 maison")
    if sent != "seuil1 seuil2 projection":
        raise Failure(f"unexpected record of the notifications sent: {sent}")


def main():
    scenarios = {"status_notifier": scenario_status_notifier, "no_area": scenario_no_area,
                 "notifications": scenario_notifications}
    if len(sys.argv) != 3 or sys.argv[2] not in scenarios:
        print(__doc__)
        return 2
    session = None
    try:
        session = Session(sys.argv[1])
        if sys.argv[2] == "status_notifier":
            session.status_notifier_watcher()
        calls = None
        if sys.argv[2] == "notifications":
            session.notification_service()
            session.write_option(ONE_HOUR)
            pid = session.launch(clock_at(MARCH_15_NOON))
        elif sys.argv[2] == "no_area":
            calls = SessionCalls(session.session_address)
            session.write_option(ONE_HOUR)
            pid = session.launch(clock_at(MARCH_15_NOON))
        else:
            session.write_option(MAISON)
            pid = session.launch()
        wid = session.window(pid)
        if sys.argv[2] == "status_notifier":
            wait_for("the program's icon to register", session.icon_registered)
        if calls is not None:
            scenarios[sys.argv[2]](session, pid, wid, calls)
            calls.stop()
        else:
            scenarios[sys.argv[2]](session, pid, wid)
        print(f"PASS {sys.argv[2]}")
        return 0
    except Failure as e:
        print(f"FAIL: {e}")
        return 1
    finally:
        if session is not None:
            session.close()


if __name__ == "__main__":
    sys.exit(main())
