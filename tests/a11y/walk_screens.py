#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Walks the desktop program's accessible tree the way a screen reader sees it (AT-SPI), screen
by screen, and fails on a focusable object without a name, a button without an action, or a
text of a screen's form that the tree does not hold.

walk_screens.py PROGRAM FORMS_FOLDER
Starts its own session bus, accessibility bus and X server; exits 77 (skipped) where one of
them or pyatspi is missing.
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time
import xml.etree.ElementTree as ET
from pathlib import Path

SKIPPED = 77
BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"

# The menu's command for each screen, and its form (None: built in code, no form to read).
SCREENS = [
    ("IDC_FS_wizardMode", "screens/frmWizardMode.ui"),
    ("IDC_FS_normalMode", "screens/frmNormalMode.ui"),
    ("IDC_FS_backupManger", "backups/frmBackUp.ui"),
    ("IDC_FS_systemSatus", "memory/frmSystemStatus.ui"),
    ("IDC_FS_ramConfig", "memory/frmRamConfiguration.ui"),
    ("IDC_FS_pingSetting", "pinger/frmNetPingerSettings.ui"),
    ("IDC_FS_settings", "shell/frmMainSettings.ui"),
    ("IDC_FS_connectionTest", "screens/frmConnectionTest.ui"),
    ("IDC_FS_kernelSettings", None),
]

# Form texts the screen replaces as it loads, so the tree rightly holds the new text instead.
REPLACED_AT_LOAD = {
    "Modes Description",  # the chosen profile's values
    "Recommended: —",  # the last measurement's recommendation, or "Recommended: " and a dash
    "Memory usage",  # "Memory Usage (41%)."
}

BUTTON_ROLES = {"push button", "toggle button", "check box", "radio button"}


def missing_prerequisite():
    for program in ("dbus-run-session", "xvfb-run"):
        if shutil.which(program) is None:
            return f"{program} is not installed"
    if not os.access(BUS_LAUNCHER, os.X_OK):
        return f"{BUS_LAUNCHER} is missing (Debian package at-spi2-core)"
    try:
        import pyatspi  # noqa: F401
    except ImportError:
        return "pyatspi cannot be imported (Debian package python3-pyatspi)"
    return None


def plain(text):
    """The text as a screen reader says it: no mnemonic marks (a label shows "&&" as it is, a
    button as "&"), single spaces."""
    return " ".join((text or "").replace("&", "").split())


def form_texts(form):
    texts = set()
    for prop in ET.parse(form).getroot().iter("property"):
        if prop.get("name") not in ("text", "title"):
            continue
        string = prop.find("string")
        if string is None or string.get("notr") == "true":
            continue
        text = plain(string.text)
        if text and text not in REPLACED_AT_LOAD:
            texts.add(text)
    return texts


def walk(node, visit, depth=0):
    if node is None or depth > 60:
        return
    visit(node)
    for i in range(node.childCount):
        walk(node.getChildAtIndex(i), visit, depth + 1)


class Tree:
    """What the tree says right now: every text it holds, and the faults of what is shown."""

    def __init__(self, app):
        import pyatspi

        self.texts = []
        self.faults = []

        def visit(node):
            role = node.getRoleName()
            self.texts += [plain(node.name), plain(node.description)]
            try:
                text = node.queryText()
                self.texts.append(plain(text.getText(0, -1)))
            except NotImplementedError:
                pass
            state = node.getState()
            if not state.contains(pyatspi.STATE_SHOWING):
                return
            where = f"{role} in {plain(node.parent.name) if node.parent else '?'}"
            if state.contains(pyatspi.STATE_FOCUSABLE) and not plain(node.name):
                self.faults.append(f"focusable {where} has no name")
            # Qt offers no action on a disabled button, as a screen reader expects.
            if role in BUTTON_ROLES and state.contains(pyatspi.STATE_ENABLED):
                try:
                    actions = node.queryAction().nActions
                except NotImplementedError:
                    actions = 0
                if actions == 0:
                    self.faults.append(f"{role} {plain(node.name)!r} has no action")

        walk(app, visit)

    def holds(self, text):
        return any(text in said for said in self.texts)


def find_app(name, seconds=20):
    import pyatspi

    end = time.monotonic() + seconds
    while time.monotonic() < end:
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is not None and app.name == name:
                return app
        time.sleep(0.5)
    return None


def wait_for_line(stream, wanted, seconds):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        line = stream.readline()
        if not line:
            return False
        if line.strip() == wanted:
            return True
    return False


def inner(program, forms):
    launcher = subprocess.Popen([BUS_LAUNCHER, "--launch-immediately"])
    scratch = tempfile.mkdtemp(prefix="zf-a11y-")
    failures = []
    try:
        env = dict(os.environ)
        for variable in ("HOME", "XDG_RUNTIME_DIR", "XDG_DATA_HOME", "XDG_CONFIG_HOME"):
            env[variable] = os.path.join(scratch, variable.lower())
            os.makedirs(env[variable], mode=0o700)
        env.update(QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", ZENTROFAST_STARTUP_PROBE="1",
                   LANG="C.UTF-8", LC_ALL="C.UTF-8", LANGUAGE="")
        env.pop("ZENTROFAST_HOME", None)
        time.sleep(1)
        app_process = subprocess.Popen([program], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True,
                                       env=env, bufsize=1)
        try:
            if not wait_for_line(app_process.stdout, "loaded", 60):
                return ["the program never reported \"loaded\""]
            app = find_app("Zentrofast")
            if app is None:
                return ["the program never appeared on the accessibility bus"]
            menu = Tree(app)
            failures += [f"menu: {fault}" for fault in menu.faults]
            for command, form in SCREENS:
                app_process.stdin.write(f"fs {command}\n")
                app_process.stdin.flush()
                time.sleep(1.5)
                tree = Tree(app)
                failures += [f"{command}: {fault}" for fault in tree.faults]
                if form is not None:
                    for text in sorted(form_texts(Path(forms) / form)):
                        if not tree.holds(text):
                            failures.append(f"{command}: text missing from the tree: {text!r}")
                print(f"{command}: walked", flush=True)
        finally:
            app_process.kill()
            app_process.wait()
    finally:
        launcher.terminate()
        launcher.wait()
        shutil.rmtree(scratch, ignore_errors=True)
    return failures


def main(argv):
    if len(argv) >= 1 and argv[0] == "--inner":
        failures = inner(argv[1], argv[2])
        for failure in failures:
            print(failure)
        return 1 if failures else 0
    if len(argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    reason = missing_prerequisite()
    if reason:
        print(f"skipped: {reason}")
        return SKIPPED
    return subprocess.call(["dbus-run-session", "--", "xvfb-run", "-a", "-s", "-screen 0 1024x768x24",
                            sys.executable, os.path.abspath(__file__), "--inner", *argv])


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
