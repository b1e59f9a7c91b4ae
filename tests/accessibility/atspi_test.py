#!/usr/bin/python3
"""Reads the real Namewisp window through AT-SPI, as a screen reader does, on an X display of
its own.  Usage, in a private session bus: dbus-run-session -- atspi_test.py PATH/TO/namewisp"""
import os
import subprocess
import sys
import tempfile
import time

FILES = ["holiday_old.jpg", "notes.txt", "report_old.txt"]
CLEANED = ["holiday.jpg", "notes.txt", "report.txt"]


def wait_for(what, probe, timeout=10.0, seen=None):
    """probe() until true; after `timeout` s fails with `what` and what seen() shows then."""
    deadline = time.monotonic() + timeout
    last = None
    while time.monotonic() < deadline:
        try:
            last = probe()
            if last:
                return last
        except Exception as error:  # the tree changes under us while the program updates it
            last = error
        time.sleep(0.05)
    try:
        last = seen() if seen else last
    except Exception as error:
        last = error
    sys.exit(f"FAIL: {what}; seen: {last!r}")


def start_display():  # on a free display number, so parallel runs never collide
    read, write = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1024x768x24",
                               "-nolisten", "tcp"], pass_fds=[write], stderr=subprocess.DEVNULL)
    os.close(write)
    with os.fdopen(read) as pipe:
        number = pipe.readline().strip()
    if not number:
        sys.exit("FAIL: Xvfb did not start")
    os.environ["DISPLAY"] = ":" + number
    return server


def walk(node):
    yield node
    for child in node:
        if child is not None:
            yield from walk(child)


def main(program):
    display = start_display()
    try:
        run(program)
    finally:
        display.terminate()
    print("PASS: the screen reader's view of Namewisp")


def run(program):
    # The accessibility bus, started on demand by the session bus as for a desktop session.
    subprocess.run(["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus",
                    "/org/a11y/bus", "org.a11y.Bus.GetAddress"],
                   check=True, stdout=subprocess.DEVNULL, timeout=10)
    try:
        import pyatspi  # after the bus is up: it looks for it once
    except ImportError:
        sys.exit("FAIL: no pyatspi for /usr/bin/python3 (Debian's python3-pyatspi)")
    environment = dict(os.environ, QT_QPA_PLATFORM="xcb", QT_ACCESSIBILITY="1",
                       QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    with tempfile.TemporaryDirectory() as folder:
        for name in FILES:
            open(os.path.join(folder, name), "w").close()
        app = subprocess.Popen([program], cwd=folder, env=environment)
        try:
            check(pyatspi, app, folder)
        finally:
            if app.poll() is None:
                app.kill()
                app.wait()


def check(pyatspi, app, folder):
    def application():
        return next(a for a in pyatspi.Registry.getDesktop(0)
                    if a is not None and a.get_process_id() == app.pid and a.childCount > 0)

    found = wait_for("the program registers on the AT-SPI desktop", application, 20)
    print(f"found application {found.name!r}")
    frame = found[0]

    def tree():
        return [(o.getRoleName(), o.name) for o in walk(frame)]

    # Role and name of each control, as read out, and one list item per file.
    text, files, refresh = ("text", "Text to Remove"), ("list", "Files"), ("push button", "Refresh")
    clean, close = ("push button", "Clean"), ("push button", "Close")
    first, second, third = [("list item", name) for name in FILES]
    expected = [("frame", "Namewisp"), ("label", "Text to Remove"), text, files,
                first, second, third, refresh, clean, close]
    wait_for("the window's controls and entries", lambda: tree() == expected, seen=tree)
    for role, name in tree():
        print(f"  {role} {name!r}")

    def node(wanted):  # looked up afresh: a re-read replaces the list's items
        return next(o for o in walk(frame) if (o.getRoleName(), o.name) == wanted)

    def entries():
        return [item.name for item in node(files)]

    def focused():
        return [(o.getRoleName(), o.name) for o in walk(frame)
                if o.getState().contains(pyatspi.STATE_FOCUSED)]

    def key(name):
        return lambda: subprocess.run(["xdotool", "key", name], check=True)

    def click(item):
        box = node(item).queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        subprocess.run(["xdotool", "mousemove", str(box.x + box.width // 2),
                        str(box.y + box.height // 2), "click", "1"], check=True)

    def press(button):
        action = node(button).queryAction()
        names = [action.getName(i) for i in range(action.nActions)]
        if "Press" not in names:
            sys.exit(f"FAIL: {button} offers the actions {names}, no Press")
        action.doAction(names.index("Press"))

    # One control has the focus; a list that has it holds one focused entry as well, and no
    # entry is focused anywhere else.
    tab = key("Tab")
    steps = [("start", lambda: None, [text]), ("Tab", tab, [files, first]), ("Tab", tab, [refresh]),
             ("Tab", tab, [clean]), ("Tab", tab, [close]), ("Tab", tab, [text]),
             ("Tab", tab, [files, first]), ("Down", key("Down"), [files, second]),
             ("Refresh pressed in the list", lambda: press(refresh), [files]),
             ("Tab", tab, [refresh]), ("Shift+Tab", key("shift+Tab"), [files, first]),
             ("Tab", tab, [refresh]),
             (f"a click on {third[1]}", lambda: click(third), [files, third])]
    for step, act, wanted in steps:
        act()
        wait_for(f"after {step}, focused {wanted}", lambda: focused() == wanted, seen=focused)
        print(f"after {step}: focused {wanted}")

    # Typed through the text interface, pressed through the action interface.
    node(text).queryEditableText().setTextContents("_old")
    wait_for("the box holds '_old'", lambda: node(text).queryText().getText(0, -1) == "_old")
    press(clean)
    on_disk = lambda: sorted(os.listdir(folder))
    wait_for(f"Clean renames the files to {CLEANED}", lambda: on_disk() == CLEANED, seen=on_disk)
    wait_for(f"the list shows {CLEANED}", lambda: entries() == CLEANED, seen=entries)
    print(f"after Clean: on disk and listed {CLEANED}")

    press(close)
    try:
        app.wait(timeout=10)
    except subprocess.TimeoutExpired:
        sys.exit("FAIL: the program is still running 10 s after Close")
    if app.returncode != 0:
        sys.exit(f"FAIL: the program exited with {app.returncode}")
    print("after Close: the program exited with 0")


if __name__ == "__main__":
    main(os.path.abspath(sys.argv[1]))
