"""Runs the real program as a user would: under Xvfb, with private system and session buses on which
python-dbusmock plays NetworkManager (and, when asked, a D-Bus notification area), in a program folder
of its own (the program keeps its INI files next to itself when it can write there)."""

import os
import shutil
import signal
import subprocess
import tempfile
import time
import uuid


WATCHER = "org.kde.StatusNotifierWatcher"
NOTIFICATIONS = "org.freedesktop.Notifications"
FAKETIME_LIB = "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1"
# Centres of the main window's buttons in the built-in look (400 pixels wide, 26-pixel buttons on the
# row 114 pixels from the top): "Changer de skin", "A propos...", and "Réduire" left of the quit button.
SKIN_AT, ABOUT_AT, REDUCE_AT = (142 + 13, 127), (174 + 13, 127), (400 - 14 - 2 * 26 - 6 + 13, 127)
# Widths that tell the program's top-level windows apart.
MAIN_WIDTH, ABOUT_WIDTH, CHOOSER_WIDTH = 400, 249, 128


class Failure(Exception):
    pass


def require_tools():
    missing = [t for t in ("dbus-daemon", "Xvfb") if shutil.which(t) is None]
    try:
        import dbus  # noqa: F401
        import dbusmock  # noqa: F401
    except ImportError as e:
        missing.append(f"python module ({e}); run this script with /usr/bin/python3")
    if missing:
        raise Failure("missing tools: " + ", ".join(missing) + " (scripts/setup.sh installs them)")


def wait_for(what, predicate, timeout=15.0, step=0.1):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        value = predicate()
        if value:
            return value
        time.sleep(step)
    raise Failure(f"timed out after {timeout:.0f} s waiting for {what}")


def read_ini(path):
    """Sections and keys folded to lower case, as the program's own reader matches them."""
    data = {}
    if not os.path.exists(path):
        return data
    with open(path, "rb") as f:
        text = f.read().decode("utf-8", errors="replace")
    section = None
    for line in text.splitlines():
        s = line.strip()
        if s.startswith("[") and s.endswith("]"):
            section = data.setdefault(s[1:-1].strip().lower(), {})
        elif section is not None and "=" in s:
            k, v = s.split("=", 1)
            section.setdefault(k.strip().lower(), v.strip())
    return data


def write_ini(path, sections):
    with open(path, "w", encoding="utf-8") as f:
        for name, keys in sections.items():
            f.write(f"[{name}]\n")
            for k, v in keys.items():
                f.write(f"{k}={v}\n")


def clock_at(epoch):
    """The environment that starts the program's date and time at `epoch` (UTC) and lets them run;
    its timers keep the real pace."""
    return {"LD_PRELOAD": FAKETIME_LIB, "FAKETIME": f"{epoch - int(time.time()):+d}",
            "DONT_FAKE_MONOTONIC": "1", "TZ": "UTC"}


def seconds(duration):
    h, m, s = duration.split(":")
    return int(h) * 3600 + int(m) * 60 + int(s)


def duration(total):
    return f"{total // 3600:02d}:{total // 60 % 60:02d}:{total % 60:02d}"


class Session:
    """Private buses, a display and a NetworkManager mock; the program's folder is `self.folder`."""

    def __init__(self, binary):
        require_tools()
        if not os.access(binary, os.X_OK):
            raise Failure(f"program not found: {binary}")
        self.tmp = tempfile.mkdtemp(prefix="vq-e2e-")
        self.folder = os.path.join(self.tmp, "program")
        os.makedirs(self.folder)
        self.binary = os.path.join(self.folder, os.path.basename(binary))
        shutil.copy2(binary, self.binary)
        self.procs = []
        self.program = None
        # The users' own locale unless the test names another (its decimal mark is what counts).
        self.locale = os.environ.get("VQ_E2E_LOCALE", "fr_FR.UTF-8")
        try:
            self._start()
        except BaseException:
            self.close()
            raise

    # ---- infrastructure -------------------------------------------------------------------------

    def _bus(self, name):
        p = subprocess.Popen(
            ["dbus-daemon", "--session", "--nofork", "--print-address=1",
             f"--address=unix:path={os.path.join(self.tmp, name)}"],
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        self.procs.append(p)
        address = p.stdout.readline().strip()
        if not address:
            raise Failure(f"dbus-daemon for the {name} did not start")
        return address

    def _display(self):
        r, w = os.pipe()
        p = subprocess.Popen(["Xvfb", "-displayfd", str(w), "-nolisten", "tcp", "-screen", "0", "1024x768x24"],
                             pass_fds=(w,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(w)
        self.procs.append(p)
        with os.fdopen(r) as f:
            number = f.readline().strip()
        if not number:
            raise Failure("Xvfb did not start")
        return ":" + number

    def _start(self):
        import dbus

        self.system_address = self._bus("system_bus")
        self.session_address = self._bus("session_bus")
        self.display = self._display()
        home = os.path.join(self.tmp, "home")
        os.makedirs(home)
        self.env = dict(os.environ)
        self.env.update({
            "DBUS_SYSTEM_BUS_ADDRESS": self.system_address,
            "DBUS_SESSION_BUS_ADDRESS": self.session_address,
            "DISPLAY": self.display,
            "HOME": home,
            "XDG_CONFIG_HOME": os.path.join(home, ".config"),
            "XDG_DATA_HOME": os.path.join(home, ".local/share"),
            "XDG_RUNTIME_DIR": self.tmp,
            "QT_QPA_PLATFORM": "xcb",
            "LANG": self.locale,
            "LC_ALL": self.locale,
        })
        self.env.pop("WAYLAND_DISPLAY", None)
        mock = subprocess.Popen(["/usr/bin/python3", "-m", "dbusmock", "--system", "--template", "networkmanager"],
                                env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.procs.append(mock)
        self.bus = dbus.bus.BusConnection(self.system_address)
        wait_for("the NetworkManager mock", lambda: self.bus.name_has_owner("org.freedesktop.NetworkManager"))
        nm = self.bus.get_object("org.freedesktop.NetworkManager", "/org/freedesktop/NetworkManager")
        self.mock = dbus.Interface(nm, "org.freedesktop.DBus.Mock")
        self.mock.AddProperty("org.freedesktop.NetworkManager", "PrimaryConnection", dbus.ObjectPath("/"))
        self.mock.SetGlobalConnectionState(dbus.UInt32(20))
        self.device = self.mock.AddEthernetDevice("eth0", "eth0", 30)
        self.active = None

    # ---- the network ----------------------------------------------------------------------------

    def connect(self, name="Box", kind="802-3-ethernet", metered=False):
        import dbus

        settings = dbus.Dictionary({
            "connection": dbus.Dictionary({
                "id": name, "type": kind, "uuid": str(uuid.uuid4()),
                "metered": dbus.Int32(1 if metered else 0),
            }, signature="sv"),
        }, signature="sa{sv}")
        settings_obj = self.bus.get_object("org.freedesktop.NetworkManager",
                                           "/org/freedesktop/NetworkManager/Settings")
        profile = dbus.Interface(settings_obj, "org.freedesktop.NetworkManager.Settings").AddConnection(settings)
        label = "c" + uuid.uuid4().hex[:8]
        self.active = self.mock.AddActiveConnection([self.device], profile, "/", label, dbus.UInt32(2))
        self.mock.SetProperty("/org/freedesktop/NetworkManager", "org.freedesktop.NetworkManager",
                              "PrimaryConnection", dbus.ObjectPath(self.active))
        self.mock.SetGlobalConnectionState(dbus.UInt32(70))

    def disconnect(self):
        import dbus

        self.mock.SetGlobalConnectionState(dbus.UInt32(20))
        self.mock.SetProperty("/org/freedesktop/NetworkManager", "org.freedesktop.NetworkManager",
                              "PrimaryConnection", dbus.ObjectPath("/"))
        if self.active:
            self.mock.RemoveActiveConnection(self.device, self.active)
            self.active = None

    # ---- the desktop ----------------------------------------------------------------------------

    def status_notifier_watcher(self):
        """A notification area of the D-Bus kind: a StatusNotifierWatcher on the session bus saying that
        a host shows the icons. Start it before the program, which looks for it once."""
        import dbus

        p = subprocess.Popen(["/usr/bin/python3", "-m", "dbusmock", "--session", WATCHER, "/StatusNotifierWatcher",
                              WATCHER], env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.procs.append(p)
        self.session_bus = dbus.bus.BusConnection(self.session_address)
        wait_for("the StatusNotifierWatcher", lambda: self.session_bus.name_has_owner(WATCHER))
        self.watcher = dbus.Interface(self.session_bus.get_object(WATCHER, "/StatusNotifierWatcher"),
                                      "org.freedesktop.DBus.Mock")
        self.watcher.AddProperties(WATCHER, {"IsStatusNotifierHostRegistered": dbus.Boolean(True),
                                             "ProtocolVersion": dbus.Int32(0),
                                             "RegisteredStatusNotifierItems": dbus.Array([], signature="s")})
        for method in ("RegisterStatusNotifierItem", "RegisterStatusNotifierHost"):
            self.watcher.AddMethod(WATCHER, method, "s", "", "")

    def icon_registered(self):
        """Whether the program's icon has registered with the D-Bus notification area."""
        return bool(self.watcher.GetMethodCalls("RegisterStatusNotifierItem"))

    def icon_embedded(self, pid):
        """Whether a window of the program sits inside another client's window, as an icon docked in
        an XEmbed notification area does."""
        from Xlib import X, display, error

        d = display.Display(self.display)
        try:
            pid_atom = d.intern_atom("_NET_WM_PID")

            def inside(window, depth):
                for child in window.query_tree().children:
                    if depth > 0:
                        prop = child.get_full_property(pid_atom, X.AnyPropertyType)
                        if prop is not None and len(prop.value) and prop.value[0] == pid:
                            return True
                    if inside(child, depth + 1):
                        return True
                return False

            return inside(d.screen().root, 0)
        except error.XError:  # a window went away during the walk: look again
            return False
        finally:
            d.close()

    def activate_icon(self):
        """A click on the program's icon, as the D-Bus notification area reports it."""
        import dbus

        calls = wait_for("the program's icon to register",
                         lambda: self.watcher.GetMethodCalls("RegisterStatusNotifierItem"))
        item = str(calls[-1][1][0])
        name, path = item, "/StatusNotifierItem"
        if item.startswith("/"):  # an object path on the caller's own connection
            bus = dbus.Interface(self.session_bus.get_object("org.freedesktop.DBus", "/org/freedesktop/DBus"),
                                 "org.freedesktop.DBus")
            name = next(n for n in bus.ListNames()
                        if n.startswith(":") and bus.GetConnectionUnixProcessID(n) == self.program.pid)
            path = item
        self.session_bus.get_object(name, path).Activate(dbus.Int32(0), dbus.Int32(0),
                                                          dbus_interface="org.kde.StatusNotifierItem")

    def notification_service(self):
        """The desktop's notification service on the session bus; notifications() reads back what the
        program sent to it."""
        import dbus

        p = subprocess.Popen(["/usr/bin/python3", "-m", "dbusmock", "--session", "--template", "notification_daemon"],
                             env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.procs.append(p)
        self.session_bus = dbus.bus.BusConnection(self.session_address)
        wait_for("the notification service", lambda: self.session_bus.name_has_owner(NOTIFICATIONS))
        self.notifier = dbus.Interface(self.session_bus.get_object(NOTIFICATIONS, "/org/freedesktop/Notifications"),
                                       "org.freedesktop.DBus.Mock")

    def notifications(self):
        """(summary, body) of each notification received so far, in order."""
        return [(str(args[3]), str(args[4])) for _, args in self.notifier.GetMethodCalls("Notify")]

    def x(self, *args):
        return subprocess.run(list(args), env=self.env, capture_output=True, text=True, timeout=10).stdout

    def window(self, pid, width=MAIN_WIDTH):
        """The program's visible top-level window of that width (the main window by default)."""
        def found():
            for wid in self.x("xdotool", "search", "--onlyvisible", "--pid", str(pid)).split():
                if f"Width: {width}" in self.x("xwininfo", "-id", wid):
                    return wid
            return None
        return wait_for(f"the program's window {width} pixels wide", found)

    def viewable(self, wid):
        return "IsViewable" in self.x("xwininfo", "-id", wid)

    def click(self, wid, at):
        self.x("xdotool", "mousemove", "--window", wid, str(at[0]), str(at[1]), "click", "1")

    def close_window(self, wid):
        """What a window manager sends for Alt+F4 or a title bar's close button."""
        from Xlib import X, display, protocol

        d = display.Display(self.display)
        try:
            window = d.create_resource_object("window", int(wid, 0))
            message = protocol.event.ClientMessage(
                window=window, client_type=d.intern_atom("WM_PROTOCOLS"),
                data=(32, [d.intern_atom("WM_DELETE_WINDOW"), X.CurrentTime, 0, 0, 0]))
            window.send_event(message, event_mask=X.NoEventMask)
            d.sync()  # processed before the connection closes
        finally:
            d.close()

    # ---- the program ----------------------------------------------------------------------------

    def option(self):
        return read_ini(os.path.join(self.folder, "option.ini"))

    def tempo(self):
        return read_ini(os.path.join(self.folder, "tempo.ini")).get("plantage", {})

    def write_option(self, sections):
        write_ini(os.path.join(self.folder, "option.ini"), sections)

    def launch(self, env=None):
        if self.program and self.program.poll() is None:
            raise Failure("the program is already running")
        # Start-up writes today's date near its end; remove the old one to see it come.
        self._forget_start_date()
        self.log = open(os.path.join(self.tmp, "program.log"), "ab")
        self.program = subprocess.Popen([self.binary], cwd=self.tmp, env={**self.env, **(env or {})}, stdout=self.log,
                                        stderr=subprocess.STDOUT)
        wait_for("the start-up (today's date in option.ini)",
                 lambda: self.option().get("typeconex", {}).get("date")
                 and self.tempo().get("ouinon") == "1" and self.running())
        return self.program.pid

    def _forget_start_date(self):
        path = os.path.join(self.folder, "option.ini")
        if not os.path.exists(path):
            return
        with open(path, encoding="utf-8", errors="surrogateescape") as f:
            lines = f.read().splitlines(keepends=True)
        section, kept = "", []
        for line in lines:
            s = line.strip()
            if s.startswith("["):
                section = s.lower()
            if not (section == "[typeconex]" and s.lower().startswith("date=")):
                kept.append(line)
        with open(path, "w", encoding="utf-8", errors="surrogateescape") as f:
            f.writelines(kept)

    def running(self):
        """True, or a failure when the program has ended."""
        if self.program.poll() is not None:
            raise Failure(f"the program ended with status {self.program.returncode}; see {self.log.name}")
        return True

    def kill(self):
        if self.program and self.program.poll() is None:
            self.program.send_signal(signal.SIGKILL)
            self.program.wait(10)

    def close(self):
        self.kill()
        for p in reversed(self.procs):
            if p.poll() is None:
                p.terminate()
                try:
                    p.wait(5)
                except subprocess.TimeoutExpired:
                    p.kill()
        shutil.rmtree(self.tmp, ignore_errors=True)
