#!/usr/bin/env python3
"""The includes between the product's top-level folders go one way.

    include_layers.py ROOT         check the tree at ROOT; exit 1 and list every crossing
    include_layers.py --self-test  prove the check refuses a crossing and a circle

A folder's sub-folders (win32/, memory/) belong to it. The product's
vocabulary (app/constants.h, app/database_files.h) may be included from
anywhere; everything else only from a folder whose row names it. Tests
(files named *_test.*) may reach any folder: they are linked on their own.
"""
import os
import re
import sys
import tempfile

VOCABULARY = {"app/constants.h", "app/database_files.h"}

# Which folders each folder may include, lowest layer first.
ALLOWED = {
    "base": set(),
    "sys": {"base"},
    "mail": {"base", "sys"},
    "store": {"base", "sys", "mail"},
    "gui": {"base", "sys"},
    "setup": {"base", "sys", "mail", "store", "gui"},
    "uninstall": {"base", "sys", "mail", "store", "gui", "setup"},
    "app": {"base", "sys", "mail", "store", "gui", "setup", "uninstall"},
}
# Of setup/, the removal reaches the browse and wait dialogs and their placement only.
ONLY = {
    ("uninstall", "setup"): {
        "setup/browse_dlg.h", "setup/wait_form.h", "setup/center_over.h",
        "setup/win32/browse_dialog.h", "setup/win32/wait_dialog.h",
        "setup/win32/center_over_win32.h", "setup/win32/dialog_ids.h",
    },
}
MOVING = {}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
SOURCES = (".h", ".cpp", ".rc")


def circle(allowed):
    """A circle in the rows (as a list of folders), or None."""
    state = {}

    def visit(folder, path):
        state[folder] = 1
        for lower in sorted(allowed.get(folder, ())):
            if state.get(lower) == 1:
                return path + [lower]
            if lower not in state:
                found = visit(lower, path + [lower])
                if found:
                    return found
        state[folder] = 2
        return None

    for folder in sorted(allowed):
        if folder not in state:
            found = visit(folder, [folder])
            if found:
                return found
    return None


def crossings(root, allowed=ALLOWED, only=ONLY, moving=MOVING):
    found = []
    for folder in sorted(allowed):
        for dirpath, _, files in os.walk(os.path.join(root, folder)):
            for name in sorted(files):
                if not name.endswith(SOURCES) or "_test." in name:
                    continue
                path = os.path.join(dirpath, name)
                rel = os.path.relpath(path, root).replace(os.sep, "/")
                with open(path, encoding="utf-8", errors="replace") as f:
                    text = f.read()
                for target in INCLUDE.findall(text):
                    top = target.split("/", 1)[0]
                    if "/" not in target or top not in allowed or top == folder:
                        continue
                    if target in VOCABULARY:
                        continue
                    home = moving.get(target, top)
                    if home == folder:
                        continue
                    if home not in allowed[folder]:
                        found.append(f"{rel}: {target} ({folder}/ may not include {home}/)")
                    elif (folder, home) in only and target not in only[(folder, home)]:
                        found.append(f"{rel}: {target} (of {home}/, {folder}/ includes only "
                                     + ", ".join(sorted(only[(folder, home)])) + ")")
    return found


def self_test():
    failures = []
    loop = dict(ALLOWED, base={"app"})
    if not circle(loop):
        failures.append("a circle in the rows went unseen")
    if circle(ALLOWED):
        failures.append("the rows themselves close a circle: " + " -> ".join(circle(ALLOWED)))
    cases = [
        ("store/x.cpp", '#include "setup/install_steps.h"\n', 1),
        ("sys/win32/x.cpp", '#include "uninstall/removal_steps.h"\n', 1),
        ("setup/x.h", '#include "uninstall/temp_copy.h"\n', 1),
        ("uninstall/x.cpp", '#include "setup/win32/setup_ids.h"\n', 1),
        ("uninstall/x.cpp", '#include "setup/win32/wait_dialog.h"\n', 0),
        ("gui/win32/x.cpp", '#include "store/stream.h"\n', 1),
        ("store/x.cpp", '#include "app/constants.h"\n#include "sys/ui.h"\n', 0),
        ("base/x.rc", '#include "app/win32/resource.h"\n', 1),
        ("app/x.cpp", '  # include "uninstall/temp_copy.h"\n', 0),
        ("sys/x_test.cpp", '#include "uninstall/folder_guard.h"\n', 0),
        ("sys/x.h", '#  include "setup/product_running.h"\n', 1),
    ]
    for rel, text, expected in cases:
        with tempfile.TemporaryDirectory() as root:
            os.makedirs(os.path.join(root, os.path.dirname(rel)))
            with open(os.path.join(root, rel), "w") as f:
                f.write(text)
            got = len(crossings(root))
            if got != expected:
                failures.append(f"{rel} with {text.strip()!r}: {got} crossings, expected {expected}")
    for failure in failures:
        print("self-test: " + failure)
    return 1 if failures else 0


def main(argv):
    if argv[1:] == ["--self-test"]:
        return self_test()
    if len(argv) != 2:
        print(__doc__)
        return 2
    loop = circle(ALLOWED)
    if loop:
        print("the rows close a circle: " + " -> ".join(loop))
        return 1
    found = crossings(argv[1])
    for line in found:
        print(line)
    if found:
        print(f"{len(found)} includes cross a layer")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
