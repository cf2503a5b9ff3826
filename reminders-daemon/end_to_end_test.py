#!/usr/bin/env python3
"""zarvo-reminders end to end, on a private session bus with a mock notification service.

A task whose alarm rings in a few seconds and one whose alarm was missed an hour ago: both are shown
once, with Done, the Snooze choices and Open, and acknowledged in their files (other clients' lines
kept, nothing else written, no change to undo, and only once the home is free of readers); Done on the first completes it as the command line sees it; Open starts the desktop app;
Snooze writes a snooze alarm that rings after the snooze (the clock moved on, never waited for); a
second daemon for the same home leaves at once; a second home that receives the acknowledged file
does not ring it again; a task without alarms rings at its due time only when the settings ask for
it; a restarted daemon shows nothing again; a missing notification service is survived.
Usage: end_to_end_test.py ZARVO_REMINDERS ZARVO
"""
import datetime
import fcntl
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


def task_file(uid, title, due, trigger=None, other_lines=""):
    alarm = (f"BEGIN:VALARM\r\n{other_lines}ACTION:DISPLAY\r\nDESCRIPTION:Reminder\r\n{trigger}\r\nEND:VALARM\r\n"
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
        # A desktop app on PATH that only says how it was started.
        bin_dir = os.path.join(tmp, "bin")
        os.mkdir(bin_dir)
        opened = os.path.join(tmp, "opened")
        with open(os.path.join(bin_dir, "zarvo-desktop"), "w") as f:
            f.write(f"#!/bin/sh\necho \"$@\" > {opened}\n")
        os.chmod(os.path.join(bin_dir, "zarvo-desktop"), 0o755)
        env = dict(os.environ, ZARVO_HOME=home, XDG_CONFIG_HOME=os.path.join(tmp, "config"), TZ="UTC",
                   PATH=bin_dir + os.pathsep + os.environ.get("PATH", ""))

        def errands_folder(of_home):
            subprocess.run([zarvo, "--home", of_home, "list-add", "Errands"], env=env, check=True,
                           stdout=subprocess.DEVNULL)
            for root, _, files in os.walk(os.path.join(of_home, "reminders")):
                if "displayname" in files and open(os.path.join(root, "displayname")).read().strip() == "Errands":
                    return root
            fail("the list's folder was not made")

        def write(path, text):
            with open(path, "w", newline="") as f:
                f.write(text)

        def read(path):
            with open(path, newline="") as f:
                return f.read()

        folder = errands_folder(home)
        now = datetime.datetime.now(datetime.timezone.utc).replace(microsecond=0)
        soon = now + datetime.timedelta(seconds=3)
        missed = now - datetime.timedelta(hours=1)
        other_lines = "UID:rent-alarm\r\nX-OTHER-CLIENT;X-P=\"a:b\":kept\\, as is\r\n"
        write(os.path.join(folder, "soon.ics"), task_file("e2e-soon", "Call Ana", soon, "TRIGGER;RELATED=END:PT0S"))
        rent = os.path.join(folder, "missed.ics")
        write(rent, task_file("e2e-missed", "Pay rent", missed, f"TRIGGER;VALUE=DATE-TIME:{ical_time(missed)}",
                              other_lines))
        write(os.path.join(folder, "due.ics"), task_file("e2e-due", "Feed the cat", missed))

        def start_mock():
            mock = subprocess.Popen([sys.executable, "-m", "dbusmock", "--template", "notification_daemon"],
                                    stdout=subprocess.DEVNULL)
            wait_for("the mock notification service", lambda: bus.name_has_owner("org.freedesktop.Notifications"))
            return mock, dbus.Interface(bus.get_object("org.freedesktop.Notifications",
                                                       "/org/freedesktop/Notifications"), "org.freedesktop.DBus.Mock")

        mock, control = start_mock()
        daemons = []

        def start_daemon(of_home, *args, extra_env=None):
            d = subprocess.Popen([daemon, "--home", of_home, *args], env=dict(env, **(extra_env or {})))
            daemons.append(d)
            return d

        def stop(d):
            d.send_signal(signal.SIGTERM)
            if d.wait(timeout=15) != 0:
                fail("a daemon did not stop cleanly")

        try:
            def notified():
                return [(float(t), [str(a) if isinstance(a, dbus.String) else a for a in args])
                        for t, args in control.GetMethodCalls("Notify")]

            def titles():
                return [args[3] for _, args in notified()]

            def act(index, action):
                # The mock numbers notifications from 1 in the order it was asked.
                control.EmitSignal("org.freedesktop.Notifications", "ActionInvoked", "us",
                                   [dbus.UInt32(index + 1), action])

            def history_entries():
                return sorted(n for n in os.listdir(os.path.join(home, "history")) if n.endswith(".json"))
            entries_before = history_entries()
            # A reader holds the home: the daemon rings, but marks nothing until it has the home alone.
            reader = open(os.path.join(home, "lock"), "rb")
            fcntl.flock(reader, fcntl.LOCK_SH)
            first = start_daemon(home)
            wait_for("the missed alarm", lambda: "Pay rent" in titles())
            time.sleep(1)
            if "\r\nACKNOWLEDGED:" in read(rent):
                fail("the alarm was marked while a reader held the home")
            reader.close()
            calls = wait_for("two notifications", lambda: (lambda c: c if len(c) >= 2 else None)(notified()))
            if sorted(titles()) != ["Call Ana", "Pay rent"]:
                fail(f"notified {titles()}")
            for _, args in calls:
                keys = [str(a) for a in args[5]][0::2]
                if keys != ["done", "snooze:10m", "snooze:1h", "snooze:tomorrow", "open"]:
                    fail(f"actions {list(args[5])}")
            ana, pay = titles().index("Call Ana"), titles().index("Pay rent")
            if calls[ana][0] < soon.timestamp() - 0.5:
                fail(f"'Call Ana' rang {soon.timestamp() - calls[ana][0]:.1f} s early")
            if "Errands" not in calls[ana][1][4]:
                fail(f"body {calls[ana][1][4]!r} does not name the list")

            # Shown is written into the files, the other client's lines of the alarm kept as they were.
            wait_for("both alarms acknowledged in their files",
                     lambda: all("\r\nACKNOWLEDGED:" in read(os.path.join(folder, n)) for n in ("soon.ics", "missed.ics")))
            if other_lines not in read(rent):
                fail(f"the other client's lines changed: {read(rent)!r}")
            if "X-ZARVO" in read(rent) + read(os.path.join(folder, "soon.ics")):
                fail(f"marking an alarm wrote more than the alarm: {read(rent)!r}")
            if history_entries() != entries_before:
                fail(f"marking alarms shown made changes to undo: {history_entries()}")

            act(ana, "done")

            def completed():
                out = subprocess.run([zarvo, "ls", "--completed", "--json"], env=env, capture_output=True, text=True)
                return out.returncode == 0 and any(t["title"] == "Call Ana" and t["isCompleted"]
                                                   for t in json.loads(out.stdout or "[]"))
            wait_for("'Call Ana' to be completed", completed)

            entries_before = history_entries()  # with the Done, which is one
            act(pay, "open")
            wait_for("the desktop app to be opened",
                     lambda: os.path.exists(opened) and read(opened).split() == ["--home", home, "--show", "e2e-missed"])
            act(pay, "snooze:10m")
            wait_for("the snooze alarm", lambda: "RELATED-TO;RELTYPE=SNOOZE:rent-alarm" in read(rent))
            if len(history_entries()) != len(entries_before) + 1:
                fail(f"the snooze is not one change to undo: {history_entries()}")

            # The unit and the autostart entry may both start one: the second for a home leaves.
            twin = subprocess.Popen([daemon, "--home", home + "/"], env=env)
            try:
                if twin.wait(timeout=15) != 0:
                    fail(f"a second daemon for the home ended with status {twin.returncode}")
            except subprocess.TimeoutExpired:
                twin.kill()
                fail("a second daemon for the home kept running")

            # Another machine receives the file as a sync would: what was shown here does not ring there.
            other_home = os.path.join(tmp, "other-home")
            other_folder = errands_folder(other_home)
            shutil.copy(rent, os.path.join(other_folder, "synced-name.ics"))
            write(os.path.join(other_folder, "plants.ics"),
                  task_file("e2e-plants", "Water plants", missed, f"TRIGGER;VALUE=DATE-TIME:{ical_time(missed)}"))
            other = start_daemon(other_home)
            wait_for("'Water plants' on the other home", lambda: "Water plants" in titles())
            time.sleep(1.5)
            stop(other)
            if titles()[2:] != ["Water plants"]:
                fail(f"the other home rang what was shown already: {titles()}")

            stop(first)
            # Eleven minutes on, with the settings of $ZARVO_CONFIG: the snooze rings, and 'Feed the cat'
            # (no alarm) now rings at its due time; nothing shown before rings again.
            config = os.path.join(tmp, "reminders.toml")
            write(config, "[reminders]\nat-due-time = true\n")
            later = ["--clock-offset", "660"]
            second = start_daemon(home, *later, extra_env={"ZARVO_CONFIG": config})
            wait_for("the snooze and the due time", lambda: len(notified()) >= 5)
            time.sleep(2)
            stop(second)
            if sorted(titles()[3:]) != ["Feed the cat", "Pay rent"]:
                fail(f"a restart rang again, or not what the snooze and the settings asked: {titles()}")

            # No notification service: the daemon keeps running, and rings once one is back.
            mock.terminate()
            mock.wait(timeout=15)
            write(os.path.join(folder, "bills.ics"),
                  task_file("e2e-bills", "Pay bills", missed, f"TRIGGER;VALUE=DATE-TIME:{ical_time(missed)}"))
            third = start_daemon(home, *later)
            time.sleep(2)
            if third.poll() is not None:
                fail(f"the daemon ended without a notification service (status {third.returncode})")
            mock, control = start_mock()
            write(os.path.join(folder, "wake.ics"), task_file("e2e-wake", "Nothing to ring", now))
            wait_for("'Pay bills' once the service is back", lambda: "Pay bills" in titles())
            stop(third)
            if titles() != ["Pay bills"]:
                fail(f"after the service came back: {titles()}")
        finally:
            for d in daemons:
                if d.poll() is None:
                    d.kill()
            mock.terminate()
            mock.wait(timeout=15)
    print("ok")


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
