"""The demo's run: a throwaway prefix, the package and other software's files, one run of
Purgelet.exe, and a table of every file before and after.

  demo.py PATH_TO_PURGELET_EXE
"""

import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "wine"))
import winebox  # noqa: E402

# Files of other software in the same folders; the program must leave them.
OTHERS = [
    "C:\\windows\\othercam.exe",
    "C:\\windows\\twain_32\\kesto\\notes.txt",
    "C:\\windows\\system32\\drivers\\othercam.sys",
    "C:\\windows\\BelvaSnap\\my-own.set",
    "C:\\windows\\system32\\othercam.dll",
]
# A package file the user already deleted by hand: the program tries it and passes over it.
MISSING = "C:\\windows\\BelvaSnap\\52737.set"


def main():
    exe = os.path.abspath(sys.argv[1])
    started = time.monotonic()
    print("Making a throwaway 32-bit Wine prefix (about 10 s) ...")
    with winebox.throwaway("purgelet-demo") as prefix:
        print("Installing the package and other software's files in %s" % prefix.path)
        package = winebox.package_paths()
        for path in package + OTHERS:
            if path != MISSING:
                prefix.plant(path)
        folders = [folder for folder, _ in winebox.PACKAGE]
        rows = sorted(package + OTHERS, key=lambda path: folders.index(path.rsplit("\\", 1)[0]))
        before = {path: os.path.exists(prefix.host(path)) for path in rows}

        print("Running: wine Purgelet.exe  (starting directory C:\\start)")
        result = prefix.run(exe)
        after = {path: os.path.exists(prefix.host(path)) for path in rows}

        width = max(len(folder) for folder in folders)
        print("\n%-*s  %-14s  %-8s %-8s %s" % (width, "Folder", "File", "Before", "After", "Result"))
        print("-" * (width + 60))
        for path in rows:
            folder, name = path.rsplit("\\", 1)
            outcome = ("removed" if before[path] and not after[path]
                       else "kept" if after[path] else "not present")
            owner = "package file" if path in package else "other software"
            print("%-*s  %-14s  %-8s %-8s %-12s (%s)" % (
                width, folder, name, "present" if before[path] else "-",
                "present" if after[path] else "-", outcome, owner))

        removed = sum(1 for path in rows if before[path] and not after[path])
        kept = sum(1 for path in OTHERS if after[path])
        remain = sum(1 for folder in folders if os.path.isdir(prefix.host(folder)))
        printed = result.stdout + result.stderr
        print("\n%d package files removed, %d of %d other files kept, %d of 5 folders remain." % (
            removed, kept, len(OTHERS), remain))
        print("Printed by the program: %s." % ("nothing" if not printed else repr(printed)))
        print("Exit status: %d. Purgelet always ends with 1, whatever it removed; deployment tools"
              " count 1 as failure\nunless 1 is added as a success code for this package."
              % result.status)
        print("(%.0f s, making the prefix included)" % (time.monotonic() - started))
        return 0 if result.status == 1 else 1

if __name__ == "__main__":
    sys.exit(main())
