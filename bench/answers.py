#!/usr/bin/python3
"""How long the real Namewisp window takes to answer while its disk is slow: a screen reader's
question (a property read through AT-SPI) and a window manager's _NET_WM_PING, each asked every
10 ms from a thread of its own, during the start, Refresh, a press of Clean and the re-read after
it. The folder's entries arrive slowly, each rename takes its time and one rename stalls for
seconds (bench/slow_disk_preload.cpp, loaded with LD_PRELOAD). Run by bench/answers_x11, on
Xvfb with a private session bus and the AT-SPI bus.
Usage: answers.py PROGRAM SHIM [files] [readdir_us] [rename_us] [stall_ms]"""
import ctypes
import os
import select
import subprocess
import sys
import tempfile
import threading
import time

import gi

gi.require_version("Gio", "2.0")
from gi.repository import Gio, GLib  # noqa: E402

# ---- _NET_WM_PING, through Xlib ------------------------------------------------------------


class ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong),
                ("message_type", ctypes.c_ulong), ("format", ctypes.c_int),
                ("data", ctypes.c_long * 5)]


class Event(ctypes.Union):
    _fields_ = [("type", ctypes.c_int), ("client", ClientMessage), ("pad", ctypes.c_long * 24)]


CLIENT_MESSAGE = 33
# Qt sends its reply to the root window for these: StructureNotify, SubstructureRedirect.
STRUCTURE_NOTIFY = 1 << 17


class Pinger:
    """Sends _NET_WM_PING to a window as a window manager does and times the reply, which comes
    back to the root window."""

    def __init__(self, window):
        x = ctypes.cdll.LoadLibrary("libX11.so.6")
        x.XOpenDisplay.restype = ctypes.c_void_p
        x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x.XDefaultRootWindow.restype = ctypes.c_ulong
        x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        x.XInternAtom.restype = ctypes.c_ulong
        x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        x.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
        x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                                 ctypes.c_void_p]
        x.XFlush.argtypes = [ctypes.c_void_p]
        x.XPending.argtypes = [ctypes.c_void_p]
        x.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
        x.XConnectionNumber.argtypes = [ctypes.c_void_p]
        self.x, self.window = x, window
        self.display = x.XOpenDisplay(None)
        self.root = x.XDefaultRootWindow(self.display)
        self.protocols = x.XInternAtom(self.display, b"WM_PROTOCOLS", 0)
        self.ping_atom = x.XInternAtom(self.display, b"_NET_WM_PING", 0)
        x.XSelectInput(self.display, self.root, STRUCTURE_NOTIFY)
        self.fd = x.XConnectionNumber(self.display)
        self.stamp = 0

    def ping(self, timeout):
        """Seconds until the reply, or None after `timeout` seconds."""
        self.stamp += 1
        event = Event()
        event.client.type = CLIENT_MESSAGE
        event.client.window = self.window
        event.client.message_type = self.protocols
        event.client.format = 32
        event.client.data[0] = self.ping_atom
        event.client.data[1] = self.stamp
        event.client.data[2] = self.window
        sent = time.monotonic()
        self.x.XSendEvent(self.display, self.window, 0, 0, ctypes.byref(event))
        self.x.XFlush(self.display)
        while time.monotonic() - sent < timeout:
            while self.x.XPending(self.display):
                reply = Event()
                self.x.XNextEvent(self.display, ctypes.byref(reply))
                if (reply.type == CLIENT_MESSAGE and reply.client.data[0] == self.ping_atom
                        and reply.client.data[1] == self.stamp):
                    return time.monotonic() - sent
            select.select([self.fd], [], [], 0.01)
        return None


# ---- AT-SPI, straight over D-Bus: no client-side cache answers for the program ------------


def accessibility_bus():
    session = Gio.bus_get_sync(Gio.BusType.SESSION, None)
    reply = session.call_sync("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress",
                              None, GLib.VariantType("(s)"), Gio.DBusCallFlags.NONE, 10000, None)
    flags = (Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT
             | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION)
    return Gio.DBusConnection.new_for_address_sync(reply.unpack()[0], flags, None, None)


def bus_name_of(bus, pid):
    """The connection of process `pid` on `bus`, asked of the bus itself, not of the program."""
    names = bus.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                          "ListNames", None, None, Gio.DBusCallFlags.NONE, 5000, None).unpack()[0]
    for name in names:
        if not name.startswith(":"):
            continue
        try:
            owner = bus.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                  "org.freedesktop.DBus", "GetConnectionUnixProcessID",
                                  GLib.Variant("(s)", (name,)), None, Gio.DBusCallFlags.NONE,
                                  5000, None).unpack()[0]
        except GLib.Error:
            continue
        if owner == pid:
            return name
    return None


def ask(bus, name, timeout):
    """Seconds until the program answered a screen reader's question, or None."""
    sent = time.monotonic()
    try:
        bus.call_sync(name, "/org/a11y/atspi/accessible/root", "org.freedesktop.DBus.Properties",
                      "Get", GLib.Variant("(ss)", ("org.a11y.atspi.Accessible", "Name")), None,
                      Gio.DBusCallFlags.NONE, int(timeout * 1000), None)
    except GLib.Error:
        return None
    return time.monotonic() - sent


class Prober(threading.Thread):
    """Asks every 10 ms; keeps (sent, waited) for each question."""

    def __init__(self, question):
        super().__init__(daemon=True)
        self.question, self.samples, self.running = question, [], True

    def run(self):
        while self.running:
            sent = time.monotonic()
            waited = self.question()
            self.samples.append((sent, waited if waited is not None else float("inf")))
            time.sleep(0.01)


# ---- The run ---------------------------------------------------------------------------------


def read_log(path):
    events = []
    with open(path) as log:
        for line in log:
            what, at = line.split()
            events.append((what, float(at)))
    return events


def wait_for(what, probe, timeout=60):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        found = probe()
        if found:
            return found
        time.sleep(0.01)
    sys.exit(f"gave up waiting for {what}")


def window_of(pid):
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(pid)],
                           capture_output=True, text=True).stdout.split()
    return int(found[0]) if found else None


def main():
    program, shim = sys.argv[1], sys.argv[2]
    files, readdir_us, rename_us, stall_ms = [int(a) for a in (sys.argv[3:] + [
        "2000", "2500", "2000", "5000"][len(sys.argv) - 3:])][:4]
    bus = accessibility_bus()
    import pyatspi  # after the bus is up
    with tempfile.TemporaryDirectory() as folder:
        for i in range(files):
            open(os.path.join(folder, f"holiday_old_{i}.jpg"), "w").close()
        log = os.path.join(folder, ".log")
        environment = dict(os.environ, QT_QPA_PLATFORM="xcb", QT_ACCESSIBILITY="1",
                           QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", LD_PRELOAD=shim,
                           NAMEWISP_SLOW_READDIR_US=str(readdir_us),
                           NAMEWISP_SLOW_RENAME_US=str(rename_us),
                           NAMEWISP_STALL_AT=str(files // 2), NAMEWISP_STALL_MS=str(stall_ms),
                           NAMEWISP_SLOW_LOG=log)
        started = time.monotonic()
        app = subprocess.Popen([program], cwd=folder, env=environment)
        try:
            run(app, started, bus, pyatspi, log, files, (readdir_us, rename_us, stall_ms))
        finally:
            app.kill()
            app.wait()


def run(app, started, bus, pyatspi, log, files, setting):
    window = wait_for("the window", lambda: window_of(app.pid))
    shown = time.monotonic() - started
    name = wait_for("the program on the accessibility bus", lambda: bus_name_of(bus, app.pid))
    asker = Prober(lambda: ask(bus, name, 60))
    asker.start()
    pinger = Prober(lambda x=Pinger(window): x.ping(60))
    pinger.start()

    def reads_ended():
        return sum(1 for what, _ in read_log(log) if what == "read-end")

    def node(role, label):
        application = wait_for("the program on the AT-SPI desktop", lambda: next(
            (a for a in pyatspi.Registry.getDesktop(0)
             if a is not None and a.get_process_id() == app.pid and a.childCount > 0), None))
        stack = [application]
        while stack:
            item = stack.pop()
            if (item.getRoleName(), item.name) == (role, label):
                return item
            stack.extend(c for c in item if c is not None)
        sys.exit(f"no {role} {label!r}")

    def click(item):
        box = item.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        subprocess.run(["xdotool", "mousemove", str(box.x + box.width // 2),
                        str(box.y + box.height // 2), "click", "1"], check=True)

    phases = []
    wait_for("the start's read", lambda: reads_ended() >= 1)
    time.sleep(0.5)
    phases.append(("start", started, time.monotonic()))

    text, refresh, clean = (node("text", "Text to Remove"), node("push button", "Refresh"),
                            node("push button", "Clean"))
    click(text)
    subprocess.run(["xdotool", "type", "_old"], check=True)
    time.sleep(0.5)

    begun = time.monotonic()
    click(refresh)
    wait_for("Refresh's read", lambda: reads_ended() >= 2)
    time.sleep(0.5)
    phases.append(("Refresh", begun, time.monotonic()))

    begun = time.monotonic()
    click(clean)
    wait_for("the press", lambda: sum(1 for w, _ in read_log(log) if w == "rename") >= files)
    last_rename = max(at for what, at in read_log(log) if what == "rename")
    phases.append(("press", begun, last_rename))
    wait_for("the re-read", lambda: reads_ended() >= 3)
    time.sleep(0.5)
    phases.append(("re-read", last_rename, time.monotonic()))
    asker.running = pinger.running = False
    asker.join(70)
    pinger.join(70)

    readdir_us, rename_us, stall_ms = setting
    print(f"{files} files, entries {readdir_us} us apart, renames of {rename_us} us, one stall "
          f"of {stall_ms} ms mid-press")
    print(f"  window shown {shown:.2f} s after exec")
    print(f"  {'phase':10} {'length':>8} {'AT-SPI longest':>15} {'ping longest':>13} "
          f"{'questions':>10}")
    for phase, begin, end in phases:
        def longest(prober):
            # A question asked in the phase, or one asked before it and still unanswered then.
            waits = [w for sent, w in prober.samples
                     if begin <= sent < end or (sent < begin and sent + w > begin)]
            return max(waits) if waits else float("nan"), len(waits)
        spoken, asked = longest(asker)
        pinged, _ = longest(pinger)
        print(f"  {phase:10} {end - begin:7.2f}s {spoken * 1000:13.0f}ms {pinged * 1000:11.0f}ms "
              f"{asked:10d}")
        if os.environ.get("NAMEWISP_ANSWERS_DETAIL"):
            for prober, what in ((asker, "AT-SPI"), (pinger, "ping")):
                top = sorted(((w, sent) for sent, w in prober.samples if begin <= sent < end),
                             reverse=True)[:3]
                print("    " + what + ": " + ", ".join(
                    f"{w * 1000:.0f} ms at {sent - started:.2f} s" for w, sent in top))
    if os.environ.get("NAMEWISP_ANSWERS_DETAIL"):
        print("    disk: " + ", ".join(f"{what} {at - started:.2f}" for what, at in read_log(log)
                                       if what != "rename"))


if __name__ == "__main__":
    main()
