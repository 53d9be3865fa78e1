#!/usr/bin/python3
"""The program's windows on a desktop: usage desktop_e2e.py <program> status_notifier|no_area

  status_notifier  a notification area of the D-Bus kind: a click on the icon brings back the main
                   window that "Réduire" or the window manager put away; the about box and the skin
                   chooser closed by the window manager bring the main window back;
  no_area          no notification area: the skin chooser closed by the window manager brings the main
                   window back, and the main window closed by it stays on screen; the program runs on.
"""

import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from harness import ABOUT_AT, ABOUT_WIDTH, CHOOSER_WIDTH, REDUCE_AT, SKIN_AT, Failure, Session, wait_for  # noqa: E402


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


def scenario_no_area(s, pid, wid):
    closed_by_window_manager(s, pid, wid, SKIN_AT, CHOOSER_WIDTH)
    # Without an icon to come back from, the main window closed by the window manager stays on screen.
    s.close_window(wid)
    time.sleep(1.0)
    if not s.viewable(wid):
        raise Failure("the closed main window left the screen with no icon to bring it back")
    s.running()


def main():
    scenarios = {"status_notifier": scenario_status_notifier, "no_area": scenario_no_area}
    if len(sys.argv) != 3 or sys.argv[2] not in scenarios:
        print(__doc__)
        return 2
    session = None
    try:
        session = Session(sys.argv[1])
        if sys.argv[2] == "status_notifier":
            session.status_notifier_watcher()
        session.write_option(MAISON)
        pid = session.launch()
        wid = session.window(pid)
        time.sleep(1.0)  # the window and the icon settle before the first click
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
