#!/usr/bin/env python3
"""End-to-end cases: the built Purgelet.exe run under Wine, in a 32-bit prefix made for the test
run, with the package (or parts of it) planted on drive C: beside files it must never touch.

Each case checks the exit status, that nothing is printed, the drive before and after, and the
program's calls to the five kernel operations as Wine's relay trace shows them.

  wine_cases.py --prefix DIR --create            make the prefix (once per test run)
  wine_cases.py --prefix DIR --exe EXE --helper HOLD_OPEN_EXE --case NAME
  wine_cases.py --prefix DIR --remove
  wine_cases.py --list
"""

import argparse
import json
import os
import shutil
import sys
from dataclasses import dataclass

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import winebox  # noqa: E402
from winebox import Call, PACKAGE, START  # noqa: E402

# Files that must stay: the plan's names in folders where the program must not delete them
# (including the folders it is in when a later change of directory fails), and names like the
# plan's in its own folders.
DECOYS = [
    "C:\\start\\kestocap.exe", "C:\\start\\TQ463TWN.ds", "C:\\start\\41357.set",
    "C:\\start\\tq463usd.dll",
    "C:\\windows\\TQ463TWN.ds", "C:\\windows\\41357.set", "C:\\windows\\Tq463ext.dll",
    "C:\\windows\\kestocap.exe.bak", "C:\\windows\\kestocap.ex",
    "C:\\windows\\twain_32\\TQ463TWN.ds",
    "C:\\windows\\system32\\drivers\\41357.set", "C:\\windows\\system32\\drivers\\4195R2.set",
    "C:\\windows\\system32\\drivers\\tq463vid.sys.bak",
    "C:\\windows\\system32\\kestocap.exe", "C:\\windows\\system32\\tq463vid.sys",
    "C:\\windows\\system32\\Tq463ext.dll.old",
]
# Decoys inside the package's own folders, planted only where those folders exist.
DECOYS_INSIDE = {
    1: ["TQ463TWN.dsx", "readme.txt"],
    3: ["41357.set.old", "41358.set", "sub\\41357.set"],
}


@dataclass
class Case:
    description: str
    folders: tuple = (0, 1, 2, 3, 4)  # the package folders that exist
    installed: bool = True            # the package's files are in them
    read_only: tuple = ()
    held_open: tuple = ()
    args: tuple = ()
    runs: int = 1
    other_case: bool = False          # file names, and the package's own folder names, swapped


CASES = {
    "installed": Case("the package fully installed: all eighteen files go"),
    "never_installed": Case(
        "never installed: six deletions fail, the package's own folders are not entered",
        folders=(0, 2, 4), installed=False),
    "package_folder_missing": Case(
        "the package's own folder missing: no .set name attempted, the system folder cleaned",
        folders=(0, 1, 2, 4)),
    "cannot_delete": Case(
        "read-only files and files held open do not stop the later files",
        read_only=("C:\\windows\\kestocap.exe", "C:\\windows\\system32\\Tq463ext.dll"),
        held_open=("C:\\windows\\BelvaSnap\\41357KD.set",
                   "C:\\windows\\system32\\drivers\\tq463vid.sys")),
    "second_run": Case("a second run finds nothing to delete and changes nothing", runs=2),
    "command_line": Case("text on the command line changes nothing",
                         args=("/s", "/q", "--dry-run", "C:\\windows\\*.*", "/?")),
    "other_letter_case": Case("names stored in another letter case are deleted",
                              other_case=True),
}


def stored_folder(case, index):
    """Where package folder `index` is on the drive: in another letter case, the package's own
    folders (those of the TWAIN data source and the .set files) carry their names swapped."""
    folder = PACKAGE[index][0]
    if case.other_case and index in (1, 3):
        head, _, own = folder.rpartition("\\")
        folder = head + "\\" + own.swapcase()
    return folder


def planted_paths(case):
    """The package files the case puts on the drive: plan path to the path stored under."""
    if not case.installed:
        return {}
    return {PACKAGE[index][0] + "\\" + name:
            stored_folder(case, index) + "\\" + (name.swapcase() if case.other_case else name)
            for index in case.folders for name in PACKAGE[index][1]}


def expected_calls(case, present):
    """The calls of one run: the save, the lookups, a change into each folder, one deletion of
    each name in a folder it entered, and the restore. `present` is the set of plan paths that
    exist and can be deleted; those it deletes are taken out of it."""
    calls = [Call("GetCurrentDirectoryA", 260, len(START)),
             Call("GetWindowsDirectoryA", 260, len(winebox.WINDOWS_FOLDER))]
    for index, (folder, names) in enumerate(PACKAGE):
        if index == len(PACKAGE) - 1:
            calls.append(Call("GetSystemDirectoryA", 260, len(winebox.SYSTEM_FOLDER)))
        entered = index in case.folders
        calls.append(Call("SetCurrentDirectoryA", folder, int(entered)))
        if entered:
            for name in names:
                path = folder + "\\" + name
                calls.append(Call("DeleteFileA", name, int(path in present)))
                present.discard(path)
    calls.append(Call("SetCurrentDirectoryA", START, 1))
    return calls


class Check:
    def __init__(self):
        self.problems = []

    def equal(self, actual, expected, what):
        if actual != expected:
            self.problems.append("%s:\n  expected %r\n  got      %r" % (what, expected, actual))

    def true(self, condition, what):
        if not condition:
            self.problems.append(what)


def key(prefix, windows_path):
    return os.path.relpath(prefix.host(windows_path), prefix.drive)


def run_case(prefix, name, exe, helper):
    case = CASES[name]
    check = Check()
    plant = planted_paths(case)
    for index in case.folders:
        prefix.mkdir(stored_folder(case, index))
    for plan_path, stored in plant.items():
        prefix.plant(stored, read_only=plan_path in case.read_only)
    for decoy in DECOYS + [stored_folder(case, i) + "\\" + name
                           for i in case.folders for name in DECOYS_INSIDE.get(i, [])]:
        prefix.plant(decoy)
    holder = prefix.hold_open(helper, case.held_open) if case.held_open else None

    before = prefix.snapshot()
    can_go = {p for p in plant if p not in case.read_only and p not in case.held_open}
    present = set(can_go)  # what each run finds; the first run takes it away
    image = winebox.image_range(exe)
    try:
        for run in range(case.runs):
            result = prefix.run(exe, case.args, relay=True)
            label = "run %d: " % (run + 1)
            check.equal(result.status, 1, label + "exit status")
            check.equal(result.stdout, b"", label + "standard output")
            printed = [line for line in result.stderr.splitlines()
                       if not winebox.is_relay_line(line)]
            check.equal(printed, [], label + "standard error, apart from Wine's relay trace")
            calls = winebox.calls_from_image(result.stderr, image)
            ops = winebox.kernel_calls(calls)
            check.equal(ops, expected_calls(case, present), label + "kernel calls")
            check.true(ops and ops[-1] == Call("SetCurrentDirectoryA", START, 1),
                       label + "the last call changes back to the starting directory")
            # Between the save and the restore, the program's own code calls nothing else of
            # the platform but the string functions of the C runtime.
            first = next((i for i, c in enumerate(calls)
                          if c[0] == "KERNEL32.GetCurrentDirectoryA"), 0)
            last = max((i for i, c in enumerate(calls)
                        if c[0] == "KERNEL32.SetCurrentDirectoryA"), default=len(calls) - 1)
            others = sorted({c[0] for c in calls[first:last + 1]
                             if c[0].split(".")[1] not in winebox.KERNEL_OPERATIONS}
                            - {"MSVCRT.strlen", "MSVCRT.memcpy"})
            check.equal(others, [], label + "other calls during the run")
    finally:
        if holder:
            holder.stdin.close()
            holder.wait(timeout=60)

    after = prefix.snapshot()
    removed = {key(prefix, plant[p]) for p in can_go}
    check.equal(sorted(set(before) - set(after)), sorted(removed), "removed from drive C:")
    check.equal(sorted(set(after) - set(before)), [], "created on drive C:")
    check.equal(sorted(k for k in after if after[k] != before[k]), [], "changed on drive C:")
    for index in case.folders:
        check.true(os.path.isdir(prefix.host(stored_folder(case, index))),
                   "folder %s remains" % stored_folder(case, index))
    return check.problems


def load_pristine(path):
    with open(path) as f:
        return {k: tuple(v) for k, v in json.load(f).items()}


def create(prefix, pristine_file):
    prefix.create()
    with open(pristine_file, "w") as out:
        json.dump(prefix.snapshot(), out)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--prefix")
    parser.add_argument("--create", action="store_true")
    parser.add_argument("--remove", action="store_true")
    parser.add_argument("--exe")
    parser.add_argument("--helper")
    parser.add_argument("--case", choices=sorted(CASES))
    parser.add_argument("--list", action="store_true")
    options = parser.parse_args()
    if options.list:
        print(";".join(CASES))
        return 0
    prefix = winebox.Prefix(options.prefix)
    pristine_file = prefix.path + ".pristine.json"
    if options.create:
        create(prefix, pristine_file)
        return 0
    if options.remove:
        prefix.stop()
        shutil.rmtree(prefix.path, ignore_errors=True)
        if os.path.exists(pristine_file):
            os.remove(pristine_file)
        return 0

    if not os.path.exists(pristine_file):
        create(prefix, pristine_file)
    prefix.start()
    pristine = load_pristine(pristine_file)
    if not prefix.restore(pristine):
        print("the prefix differs from when it was made; making it again")
        create(prefix, pristine_file)
        pristine = load_pristine(pristine_file)
    try:
        problems = run_case(prefix, options.case, options.exe, options.helper)
    finally:
        prefix.restore(pristine)
    print("%s: %s" % (options.case, CASES[options.case].description))
    for problem in problems:
        print("FAIL " + problem)
    print("1 passed, 0 failed" if not problems else "0 passed, 1 failed")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
