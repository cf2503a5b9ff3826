#!/usr/bin/env python3
"""zarvo-reminders end to end, on a private session bus with a mock notification service.

A task whose alarm rings in a few seconds and one whose alarm was missed an hour ago: both are shown
once, with a Done action; Done on the first completes it as the command line sees it; a second daemon
for the same home leaves at once; a task without alarms rings at its due time only when the settings
ask for it; a restarted daemon shows nothing again. Usage: end_to_end_test.py ZARVO_REMINDERS ZARVO
"""
import datetime
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SKIP = 77
REQUIRED = bool(os.environ.get("ZARVO_REQUIRE_DBUS"))


def unavailable(why):
    if REQUIRED:
        print(f"FAIL: {why} (ZARVO_REQUIRE_DBUS is set)")
        sys.exit(1)
    print(f"SKIP: {why}")
    sys.exit(SKIP)


def fail(why):
    print(f"FAIL: {why}")
    sys.exit(1)


def wait_for(what, check, seconds=15.0):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        value = check()
        if value:
            return value
        time.sleep(0.1)
    fail(f"timed out waiting for {what}")


def ical_time(t):
    return t.astimezone(datetime.timezone.utc).strftime("%Y%m%dT%H%M%SZ")


def task_file(uid, title, due, trigger=None):
    alarm = (f"BEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:Reminder\r\n{trigger}\r\nEND:VALARM\r\n"
             if trigger else "")
    return ("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//e2e//EN\r\nBEGIN:VTODO\r\n"
            f"UID:{uid}\r\nSUMMARY:{title}\r\nDUE:{ical_time(due)}\r\nSTATUS:NEEDS-ACTION\r\n"
            f"{alarm}END:VTODO\r\nEND:VCALENDAR\r\n")


def main(daemon, zarvo):
    if "ZARVO_E2E_PRIVATE_BUS" not in os.environ:
        if shutil.which("dbus-run-session") is None:
            unavailable("dbus-run-session is not installed")
        try:
            import dbus  # noqa: F401
            import dbusmock  # noqa: F401
        except ImportError:
            unavailable("python3-dbusmock is not installed")
        env = dict(os.environ, ZARVO_E2E_PRIVATE_BUS="1")
        sys.exit(subprocess.call(["dbus-run-session", "--", sys.executable, __file__, daemon, zarvo], env=env))

    import dbus
    bus = dbus.SessionBus()
    with tempfile.TemporaryDirectory(prefix="zarvo-reminders-e2e-") as tmp:
        home = os.path.join(tmp, "home")
        env = dict(os.environ, ZARVO_HOME=home, XDG_CONFIG_HOME=os.path.join(tmp, "config"), TZ="UTC")
        subprocess.run([zarvo, "list-add", "Errands"], env=env, check=True, stdout=subprocess.DEVNULL)
        folder = None
        for root, _, files in os.walk(os.path.join(home, "reminders")):
            if "displayname" in files and open(os.path.join(root, "displayname")).read().strip() == "Errands":
                folder = root
        if folder is None:
            fail("the list's folder was not made")
        now = datetime.datetime.now(datetime.timezone.utc).replace(microsecond=0)
        soon = now + datetime.timedelta(seconds=3)
        missed = now - datetime.timedelta(hours=1)
        with open(os.path.join(folder, "soon.ics"), "w", newline="") as f:
            f.write(task_file("e2e-soon", "Call Ana", soon, "TRIGGER;RELATED=END:PT0S"))
        with open(os.path.join(folder, "missed.ics"), "w", newline="") as f:
            f.write(task_file("e2e-missed", "Pay rent", missed, f"TRIGGER;VALUE=DATE-TIME:{ical_time(missed)}"))
        with open(os.path.join(folder, "due.ics"), "w", newline="") as f:
            f.write(task_file("e2e-due", "Feed the cat", missed))

        mock = subprocess.Popen([sys.executable, "-m", "dbusmock", "--template", "notification_daemon"],
                                stdout=subprocess.DEVNULL)
        try:
            wait_for("the mock notification service", lambda: bus.name_has_owner("org.freedesktop.Notifications"))
            control = dbus.Interface(bus.get_object("org.freedesktop.Notifications", "/org/freedesktop/Notifications"),
                                     "org.freedesktop.DBus.Mock")

            def notified():
                return [(float(t), [str(a) if isinstance(a, dbus.String) else a for a in args])
                        for t, args in control.GetMethodCalls("Notify")]

            first = subprocess.Popen([daemon, "--home", home], env=env)
            calls = wait_for("two notifications", lambda: (lambda c: c if len(c) >= 2 else None)(notified()))
            titles = [args[3] for _, args in calls]
            if sorted(titles) != ["Call Ana", "Pay rent"]:
                fail(f"notified {titles}")
            for _, args in calls:
                if [str(a) for a in args[5]][:2] != ["done", "Done"]:
                    fail(f"actions {list(args[5])}")
            ana = titles.index("Call Ana")
            if calls[ana][0] < soon.timestamp() - 0.5:
                fail(f"'Call Ana' rang {soon.timestamp() - calls[ana][0]:.1f} s early")
            if "Errands" not in calls[ana][1][4]:
                fail(f"body {calls[ana][1][4]!r} does not name the list")

            # The mock numbers notifications from 1 in the order it was asked.
            control.EmitSignal("org.freedesktop.Notifications", "ActionInvoked", "us",
                               [dbus.UInt32(ana + 1), "done"])

            def completed():
                out = subprocess.run([zarvo, "ls", "--completed", "--json"], env=env, capture_output=True, text=True)
                return out.returncode == 0 and any(t["title"] == "Call Ana" and t["isCompleted"]
                                                   for t in json.loads(out.stdout or "[]"))
            wait_for("'Call Ana' to be completed", completed)

            # The unit and the autostart entry may both start one: the second for a home leaves.
            twin = subprocess.Popen([daemon, "--home", home + "/"], env=env)
            try:
                if twin.wait(timeout=15) != 0:
                    fail(f"a second daemon for the home ended with status {twin.returncode}")
            except subprocess.TimeoutExpired:
                twin.kill()
                fail("a second daemon for the home kept running")

            first.send_signal(signal.SIGTERM)
            if first.wait(timeout=15) != 0:
                fail("the daemon did not stop cleanly")
            # The settings of $ZARVO_CONFIG: 'Feed the cat' (no alarm) now rings at its due time, once.
            config = os.path.join(tmp, "reminders.toml")
            with open(config, "w") as f:
                f.write("[reminders]\nat-due-time = true\n")
            second = subprocess.Popen([daemon, "--home", home], env=dict(env, ZARVO_CONFIG=config))
            wait_for("'Feed the cat' at its due time", lambda: len(notified()) >= 3)
            time.sleep(2)
            second.send_signal(signal.SIGTERM)
            second.wait(timeout=15)
            titles = [args[3] for _, args in notified()]
            if titles[2:] != ["Feed the cat"]:
                fail(f"a restart rang again, or not what the settings asked: {titles}")
        finally:
            mock.terminate()
            mock.wait(timeout=15)
    print("ok")


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
