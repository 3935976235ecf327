#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Walks the desktop program's accessible tree the way a screen reader sees it (AT-SPI): the
menu, each screen, and the dialogs outside the screens (shown by the dialog gallery). Fails on a
window or focusable object without a name, a button without an action, a field named by its
group rather than its own label, a graph without figures in its name, a menu entry that is not a
button one can reach and press, or a text shown (a screen's form, a dialog) that the tree lacks.

walk_screens.py PROGRAM DIALOG_GALLERY FORMS_FOLDER
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
START = time.monotonic()

# The menu's command for each screen, its form (None: built in code, no form to read) and how
# many graphs it shows.
SCREENS = [
    ("IDC_FS_wizardMode", "screens/frmWizardMode.ui", 0),
    ("IDC_FS_normalMode", "screens/frmNormalMode.ui", 0),
    ("IDC_FS_backupManger", "backups/frmBackUp.ui", 0),
    ("IDC_FS_systemSatus", "memory/frmSystemStatus.ui", 2),
    ("IDC_FS_ramConfig", "memory/frmRamConfiguration.ui", 0),
    ("IDC_FS_pingSetting", "pinger/frmNetPingerSettings.ui", 0),
    ("IDC_FS_settings", "shell/frmMainSettings.ui", 0),
    ("IDC_FS_connectionTest", "screens/frmConnectionTest.ui", 0),
    ("IDC_FS_kernelSettings", None, 0),
]

# The menu's entries as a screen reader names them: the header, the sidebar and the home page;
# then what each press in MENU_PRESSES brings up, and the entry pressed there to go on.
MENU_ENTRIES = [
    "Minimise", "Hide to tray", "Close Zentrofast",
    "Home", "Wizard Mode", "Advanced Mode", "Backup Manager", "System Status", "RAM Configuration",
    "Net Pinger", "Connection Test", "System Settings", "Main Settings", "Help", "About", "Restart computer",
    "Start the wizard \u2192", "Backups", "RAM Booster",
]
MENU_PRESSES = [
    ("System Settings", ["This Computer's Network", "Internet Properties", "System Properties", "Modem Settings",
                         "Network Settings"], "Home"),
    ("About", ["Close"], "Close"),
    ("Restart computer", ["Cancel", "Restart"], "Cancel"),
]

# The gallery's pages, each a dialog the program shows outside its screens.
DIALOG_PAGES = ["preview", "details", "countdown", "measured", "message", "input", "notice"]

# Form texts the screen replaces as it loads, so the tree rightly holds the new text instead.
REPLACED_AT_LOAD = {
    "Modes Description",  # the chosen profile's values
    "Recommended: —",  # the last measurement's recommendation, or "Recommended: " and a dash
    "Memory usage",  # "Memory Usage (41%)."
}

BUTTON_ROLES = {"push button", "toggle button", "check box", "radio button"}
MENU_ENTRY_ROLES = {"push button", "menu item"}
# Controls a value is typed, turned or picked in: each needs a name of its own.
FIELD_ROLES = {"spin button", "text", "entry", "password text", "slider", "combo box"}
WINDOW_ROLES = {"frame", "dialog", "window", "notification", "alert"}
# Windows that wait for an answer or close: a screen reader user needs a button for it.
ANSWERED_ROLES = {"dialog", "notification", "alert"}


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


def action_count(node):
    try:
        return node.queryAction().nActions
    except NotImplementedError:
        return 0


def relation_targets(node, kind):
    try:
        relations = node.getRelationSet()
    except Exception:  # noqa: BLE001 - an object gone meanwhile has none
        return []
    return [relation.getTarget(i) for relation in relations if relation.getRelationType() == kind
            for i in range(relation.getNTargets())]


class Tree:
    """What the tree says right now: every text it holds, its buttons, and the faults of what is
    shown."""

    def __init__(self, app):
        import pyatspi

        app.clearCache()
        self.texts = []
        self.faults = []
        self.buttons = {}  # name -> [(role, states, number of actions, node)]
        self.charts = []

        def pressable_button(node):
            found = []
            walk(node, lambda n: found.append(n) if n.getRoleName() in BUTTON_ROLES
                 and n.getState().contains(pyatspi.STATE_SHOWING) and action_count(n) > 0 else None)
            return bool(found)

        def column_named(node):
            """An empty cell of a table is read with its column's header."""
            if node.getRoleName() != "table cell":
                return False
            try:
                table = node.parent.queryTable()
                column = table.getColumnAtIndex(node.getIndexInParent())
                return bool(plain(table.getColumnHeader(column).name))
            except (NotImplementedError, AttributeError):
                return False

        fields_named = {}  # (parent, name) -> how many fields of that parent have that name

        def field_faults(node, name, where, state):
            labels = [plain(label.name) for label in relation_targets(node, pyatspi.RELATION_LABELLED_BY)
                      if label.getRoleName() == "label"]
            if node.getRoleName() == "combo box":
                # On Linux a combo box's name is its choice; a screen reader says its label first.
                if not labels:
                    self.faults.append(f"{where} has no label of its own")
                return
            if not name:
                return  # told as a nameless focusable object
            if labels and name not in labels:
                self.faults.append(f"{where} is named {name!r}, its label says {labels[0]!r}")
            parent = node.parent
            ancestor = parent
            while ancestor is not None and ancestor.getRoleName() not in WINDOW_ROLES:
                if plain(ancestor.name) == name:
                    self.faults.append(f"{where} is named by its group {name!r}, not by its own label")
                    break
                ancestor = ancestor.parent
            if parent is not None:
                key = (parent.path, name)
                fields_named[key] = fields_named.get(key, 0) + 1
                if fields_named[key] == 2:
                    self.faults.append(f"{where}: several fields share the name {name!r}")
            role = node.getRoleName()
            if role in ("spin button", "slider"):
                try:
                    node.queryValue()
                except NotImplementedError:
                    self.faults.append(f"{where} {name!r} exposes no value")
            elif role == "text" and not state.contains(pyatspi.STATE_EDITABLE):
                try:
                    shown = node.queryText().getText(0, -1)
                except NotImplementedError:
                    shown = ""
                if not plain(shown):
                    self.faults.append(f"read-only {where} {name!r} exposes no value")

        def visit(node):
            role = node.getRoleName()
            name = plain(node.name)
            self.texts += [name, plain(node.description)]
            try:
                text = node.queryText()
                self.texts.append(plain(text.getText(0, -1)))
            except NotImplementedError:
                pass
            state = node.getState()
            # Hidden fields too (the pages of a screen not shown yet): their names hold all the same.
            if role in FIELD_ROLES:
                field_faults(node, name, f"{role} in {plain(node.parent.name)}", state)
            if not state.contains(pyatspi.STATE_SHOWING):
                return
            # A window is named by its title; a screen reader says it as the window opens.
            is_window = role in WINDOW_ROLES and (role != "frame" or node.parent.getRoleName() == "application")
            if is_window and not name:
                self.faults.append(f"{role} without a name")
            if role in ANSWERED_ROLES and not pressable_button(node):
                self.faults.append(f"{role} {name!r} has no button to answer or close it")
            if state.contains(pyatspi.STATE_FOCUSABLE) and not name and not column_named(node):
                self.faults.append(f"focusable {role} in {plain(node.parent.name)} has no name")
            if role in BUTTON_ROLES | MENU_ENTRY_ROLES:
                actions = action_count(node)
                # Qt offers no action on a disabled button, as a screen reader expects.
                if role in BUTTON_ROLES and state.contains(pyatspi.STATE_ENABLED) and actions == 0:
                    self.faults.append(f"{role} {name!r} has no action")
                self.buttons.setdefault(name, []).append((role, state, actions, node))
            if role == "chart":
                self.charts.append(name)
                if not any(c.isdigit() for c in name):
                    self.faults.append(f"graph {name!r} tells no figures")

        walk(app, visit)

    def holds(self, text, any_case=False):
        if any_case:  # a shown label need only be within the name, as speech input expects
            return any(text.casefold() in said.casefold() for said in self.texts)
        return any(text in said for said in self.texts)

    def entry_faults(self, names):
        """Each name must be a menu entry one can reach with the keyboard and press."""
        import pyatspi

        def usable(role, state, actions):
            return actions > 0 and all(state.contains(s) for s in (pyatspi.STATE_SHOWING, pyatspi.STATE_ENABLED,
                                                                    pyatspi.STATE_FOCUSABLE))

        faults = []
        for name in names:
            found = self.buttons.get(plain(name), [])
            if not found:
                faults.append(f"no entry {name!r}")
            elif not any(role in MENU_ENTRY_ROLES for role, _, _, _ in found):
                faults.append(f"entry {name!r} is a {found[0][0]}")
            elif not any(usable(*entry[:3]) for entry in found if entry[0] in MENU_ENTRY_ROLES):
                faults.append(f"entry {name!r} cannot be reached and pressed")
        return faults

    def press(self, name):
        """Presses the first entry of that name that can be pressed; False when there is none."""
        import pyatspi

        for _, state, actions, node in self.buttons.get(name, []):
            if actions > 0 and state.contains(pyatspi.STATE_SHOWING) and state.contains(pyatspi.STATE_ENABLED):
                node.queryAction().doAction(0)
                return True
        return False


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


def read_page(stream, page, seconds=20):
    """The texts the gallery reports for a page, or None when it never showed it."""
    end = time.monotonic() + seconds
    texts, shown = [], False
    while time.monotonic() < end:
        line = stream.readline()
        if not line:
            return None
        line = line.rstrip("\n")
        if line == f"shown {page}":
            shown = True
        elif shown and line.startswith("text: "):
            texts.append(plain(line[len("text: "):]))
        elif shown and line == "done":
            return texts
    return None


def walk_program(program, forms, env):
    failures = []
    app_process = subprocess.Popen([program], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True,
                                   env=env, bufsize=1)
    try:
        if not wait_for_line(app_process.stdout, "loaded", 60):
            return ["the program never reported \"loaded\""]
        app = find_app("Zentrofast")
        if app is None:
            return ["the program never appeared on the accessibility bus"]
        time.sleep(0.5)
        menu = Tree(app)
        failures += [f"menu: {fault}" for fault in menu.faults + menu.entry_faults(MENU_ENTRIES)]
        for entry, entries, back in MENU_PRESSES:
            if not menu.press(entry):  # the sidebar's and header's entries stay where they are
                continue  # told above
            time.sleep(0.35)
            shown = Tree(app)
            failures += [f"menu, {entry}: {fault}" for fault in shown.faults + shown.entry_faults(entries)]
            if not shown.press(back):
                failures.append(f"menu, {entry}: {back!r} cannot be pressed")
            time.sleep(0.2)
        print(f"menu: walked ({time.monotonic() - START:.1f} s)", flush=True)
        told = set(menu.faults)
        for command, form, graphs in SCREENS:
            app_process.stdin.write(f"fs {command}\n")
            app_process.stdin.flush()
            time.sleep(0.6)
            tree = Tree(app)
            # A hidden screen stays in the tree: its faults are told once, with the first screen.
            failures += [f"{command}: {fault}" for fault in tree.faults if fault not in told]
            told.update(tree.faults)
            if len(tree.charts) < graphs:
                failures.append(f"{command}: {graphs} graphs shown, {len(tree.charts)} in the tree")
            if form is not None:
                for text in sorted(form_texts(Path(forms) / form)):
                    if not tree.holds(text):
                        failures.append(f"{command}: text missing from the tree: {text!r}")
            print(f"{command}: walked ({time.monotonic() - START:.1f} s)", flush=True)
    finally:
        app_process.kill()
        app_process.wait()
    return failures


def walk_dialogs(gallery, env):
    failures = []
    gallery_process = subprocess.Popen([gallery, "--walk"], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                       text=True, env=env, bufsize=1)
    try:
        app = find_app(Path(gallery).name)
        if app is None:
            return ["the dialog gallery never appeared on the accessibility bus"]
        for page in DIALOG_PAGES:
            gallery_process.stdin.write(f"{page}\n")
            gallery_process.stdin.flush()
            texts = read_page(gallery_process.stdout, page)
            if texts is None:
                failures.append(f"{page}: the gallery never showed it")
                continue
            time.sleep(0.4)
            tree = Tree(app)
            failures += [f"{page}: {fault}" for fault in tree.faults]
            failures += [f"{page}: text missing from the tree: {text!r}" for text in texts
                         if not tree.holds(text, any_case=True)]
            print(f"{page}: walked ({time.monotonic() - START:.1f} s)", flush=True)
    finally:
        gallery_process.kill()
        gallery_process.wait()
    return failures


def inner(program, gallery, forms):
    launcher = subprocess.Popen([BUS_LAUNCHER, "--launch-immediately"])
    scratch = tempfile.mkdtemp(prefix="zf-a11y-")
    try:
        env = dict(os.environ)
        for variable in ("HOME", "XDG_RUNTIME_DIR", "XDG_DATA_HOME", "XDG_CONFIG_HOME"):
            env[variable] = os.path.join(scratch, variable.lower())
            os.makedirs(env[variable], mode=0o700)
        env.update(QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", ZENTROFAST_STARTUP_PROBE="1",
                   LANG="C.UTF-8", LC_ALL="C.UTF-8", LANGUAGE="")
        env.pop("ZENTROFAST_HOME", None)
        env.pop("ZENTROFAST_BIN", None)
        time.sleep(1)
        return walk_program(program, forms, env) + walk_dialogs(gallery, env)
    finally:
        launcher.terminate()
        launcher.wait()
        shutil.rmtree(scratch, ignore_errors=True)


def main(argv):
    if len(argv) >= 1 and argv[0] == "--inner":
        failures = inner(argv[1], argv[2], argv[3])
        for failure in failures:
            print(failure)
        return 1 if failures else 0
    if len(argv) != 3:
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
