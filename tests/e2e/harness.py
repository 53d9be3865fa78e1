"""Runs the real program as a user would: under Xvfb, with private system and session buses on which
python-dbusmock plays NetworkManager, in a program folder of its own (the program keeps its INI files
next to itself when it can write there)."""

import os
import shutil
import signal
import subprocess
import tempfile
import time
import uuid


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

    # ---- the program ----------------------------------------------------------------------------

    def option(self):
        return read_ini(os.path.join(self.folder, "option.ini"))

    def tempo(self):
        return read_ini(os.path.join(self.folder, "tempo.ini")).get("plantage", {})

    def write_option(self, sections):
        write_ini(os.path.join(self.folder, "option.ini"), sections)

    def launch(self):
        if self.program and self.program.poll() is None:
            raise Failure("the program is already running")
        # Start-up writes today's date near its end; remove the old one to see it come.
        self._forget_start_date()
        self.log = open(os.path.join(self.tmp, "program.log"), "ab")
        self.program = subprocess.Popen([self.binary], cwd=self.tmp, env=self.env, stdout=self.log,
                                        stderr=subprocess.STDOUT)
        wait_for("the start-up (today's date in option.ini)",
                 lambda: self.option().get("typeconex", {}).get("date")
                 and self.tempo().get("ouinon") == "1" and self._alive())
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

    def _alive(self):
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
