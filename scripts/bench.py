"""The benchmark's measurements, in a throwaway 32-bit Wine prefix.

  bench.py PURGELET_EXE EMPTY_EXE PAIRS
"""

import os
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "wine"))
import winebox  # noqa: E402


def timed(prefix, exe):
    started = time.perf_counter()
    result = prefix.run(exe)
    elapsed = time.perf_counter() - started
    if result.status != 1:
        raise SystemExit("%s ended with %d" % (exe, result.status))
    return elapsed


def install(prefix):
    for path in winebox.package_paths():
        prefix.plant(path)


def main():
    purgelet, empty = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    pairs = int(sys.argv[3])
    with winebox.throwaway("purgelet-bench") as prefix:
        install(prefix)
        timed(prefix, purgelet)  # warm the page cache and the server for both
        timed(prefix, empty)

        ratios, times, baseline = [], [], []
        for pair in range(pairs):
            install(prefix)  # untimed: every timed run finds the full package
            if pair % 2 == 0:
                t, e = timed(prefix, purgelet), timed(prefix, empty)
            else:
                e, t = timed(prefix, empty), timed(prefix, purgelet)
            times.append(t)
            baseline.append(e)
            ratios.append(t / e)

        install(prefix)
        traced = prefix.run(purgelet, relay=True)
        calls = winebox.kernel_calls(
            winebox.calls_from_image(traced.stderr, winebox.image_range(purgelet)))
        deleted = sum(1 for c in calls if c.name == "DeleteFileA" and c.result == 1)

        size, empty_size = os.path.getsize(purgelet), os.path.getsize(empty)
        print("\nPurgelet.exe under Wine %s, %d alternating pairs on a full install\n" % (
            wine_version(), pairs))
        print("| measure | figure | target |")
        print("|---|---|---|")
        print("| wall time, median (Purgelet.exe) | %.1f ms | |" % (1000 * statistics.median(times)))
        print("| wall time, median (empty GUI program) | %.1f ms | |"
              % (1000 * statistics.median(baseline)))
        print("| per-pair ratio, median (min to max) | %.3f (%.3f to %.3f) | at most 1.05 |" % (
            statistics.median(ratios), min(ratios), max(ratios)))
        print("| calls to the five kernel operations | %d (%d files deleted) | exactly 27 |"
              % (len(calls), deleted))
        print("| image size | %d bytes (%.1f KiB); empty program %d bytes | at most 20 KiB |" % (
            size, size / 1024, empty_size))
        return 0


def wine_version():
    return subprocess.run(["wine", "--version"], capture_output=True, text=True).stdout.strip()


if __name__ == "__main__":
    sys.exit(main())
