#!/usr/bin/python3
"""Walks the desktop program's main window as a screen reader sees it over AT-SPI and fails on a
control without a name.

    dbus-run-session -- xvfb-run -a /usr/bin/python3 tools/atspi-check.py build/src/app/tovelisp

The program runs against its built-in simulated board with a settings file of its own, so no
first-run question stands in the way. Exit status 0 when every control is named, 1 otherwise,
2 when the program never appeared on the accessibility bus.
"""
import os
import subprocess
import sys
import tempfile
import time

import pyatspi

# Roles a person acts on; each must have a name (its own, or a label's through labelled-by).
CONTROL_ROLES = {
    pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TOGGLE_BUTTON, pyatspi.ROLE_CHECK_BOX, pyatspi.ROLE_RADIO_BUTTON,
    pyatspi.ROLE_COMBO_BOX, pyatspi.ROLE_SLIDER, pyatspi.ROLE_SPIN_BUTTON, pyatspi.ROLE_MENU,
    pyatspi.ROLE_MENU_ITEM, pyatspi.ROLE_CHECK_MENU_ITEM, pyatspi.ROLE_ENTRY, pyatspi.ROLE_PASSWORD_TEXT,
}


def find_application(name, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is not None and app.name == name and app.childCount > 0:
                return app
        time.sleep(0.3)
    return None


def labelled(node):
    try:
        for relation in node.getRelationSet():
            if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY and relation.getNTargets() > 0:
                target = relation.getTarget(0)
                if target is not None and target.name.strip():
                    return True
    except Exception:
        pass
    return False


def walk(node, path, unnamed, seen, menus, depth=0):
    if node is None or depth > 40:
        return
    key = hash(node)
    if key in seen:
        return
    seen.add(key)
    role = node.getRole()
    here = f"{path}/{node.getRoleName()}"
    if role == pyatspi.ROLE_MENU_BAR:
        for index in range(node.childCount):
            item = node.getChildAtIndex(index)
            if item is not None:
                menus.append(item.name)
    if role in CONTROL_ROLES and not node.name.strip() and not labelled(node):
        # A separator in a menu has no name and needs none.
        if not (role == pyatspi.ROLE_MENU_ITEM and node.getState().contains(pyatspi.STATE_INVISIBLE)):
            unnamed.append(here)
    for index in range(node.childCount):
        try:
            child = node.getChildAtIndex(index)
        except Exception:
            continue
        walk(child, f"{here}[{index}]", unnamed, seen, menus, depth + 1)


def main():
    if len(sys.argv) != 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    program = sys.argv[1]
    folder = tempfile.mkdtemp()
    settings = os.path.join(folder, "settings.ini")
    with open(settings, "w") as file:
        file.write("[Connect]\nCOM=1\nHighSpeed=1\n")
    environment = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1",
                       QT_QPA_PLATFORM="xcb")
    child = subprocess.Popen([program, "--settings", settings, "--simulate=ATmega16"], env=environment,
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        app = find_application(os.path.basename(program), 45)
        if app is None:
            print("atspi-check: the program did not appear on the accessibility bus", file=sys.stderr)
            return 2
        unnamed = []
        seen = set()
        menus = []
        walk(app, app.name, unnamed, seen, menus)
        for path in unnamed:
            print(f"atspi-check: control without a name: {path}")
        # Every menu of the bar is reachable, Help included.
        missing = [name for name in ("Project", "Settings", "Advanced", "Help") if name not in menus]
        for name in missing:
            print(f"atspi-check: the menu bar has no {name} menu on the bus (menus: {menus})")
        if unnamed or missing:
            return 1
        print(f"atspi-check: {len(seen)} nodes, every control of the main window has a name")
        return 0
    finally:
        child.terminate()
        try:
            child.wait(timeout=10)
        except subprocess.TimeoutExpired:
            child.kill()


if __name__ == "__main__":
    sys.exit(main())
