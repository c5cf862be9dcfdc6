"""Throwaway 32-bit Wine prefixes: making one, planting files in its drive C:, running a Windows
program in it (with Wine's relay trace when asked), and snapshots of the drive.

Used by the end-to-end tests, the demo and the benchmark. Needs Debian's wine and wine32:i386,
and python3-pefile for reading where the program's image lies.
"""

import contextlib
import os
import re
import shutil
import subprocess
import tempfile
from dataclasses import dataclass

# The package's files, folder by folder, in the order the program deletes them.
PACKAGE = [
    ("C:\\windows", ["kestocap.exe", "kestodib.dll"]),
    ("C:\\windows\\twain_32\\kesto", ["TQ463TWN.ds"]),
    ("C:\\windows\\system32\\drivers", ["tq463vid.sys"]),
    ("C:\\windows\\BelvaSnap", [
        "41357.set", "41357KD.set", "52917.set", "52147.set", "52147KD.set", "52147KH.set",
        "39457.set", "3945R2.set", "52737.set", "41957.set", "4195R2.set"]),
    ("C:\\windows\\system32", ["Tq463ext.dll", "Tq463ext.ax", "tq463usd.dll"]),
]
WINDOWS_FOLDER = "C:\\windows"
SYSTEM_FOLDER = "C:\\windows\\system32"
START = "C:\\start"

# The five kernel operations the program may call.
KERNEL_OPERATIONS = ("GetCurrentDirectoryA", "GetWindowsDirectoryA", "GetSystemDirectoryA",
                     "SetCurrentDirectoryA", "DeleteFileA")


def package_paths(folders=range(len(PACKAGE))):
    """The Windows paths of the files of the package's folders numbered in `folders`."""
    return [PACKAGE[i][0] + "\\" + name for i in folders for name in PACKAGE[i][1]]


@dataclass
class Run:
    status: int
    stdout: bytes
    stderr: bytes


@dataclass(frozen=True)
class Call:
    """A call the program's own image made: the operation, its argument (the path, or for a save
    or lookup the buffer size) and the result."""
    name: str
    argument: object
    result: int


class Prefix:
    def __init__(self, path):
        self.path = os.path.abspath(path)
        self.drive = os.path.join(self.path, "drive_c")
        self.env = dict(os.environ, WINEPREFIX=self.path, WINEARCH="win32", WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree,mshtml=")
        self.env.pop("DISPLAY", None)

    def create(self):
        """Makes a new prefix in place of any old one, and leaves its server running."""
        self.stop()
        shutil.rmtree(self.path, ignore_errors=True)
        os.makedirs(self.path)
        # The server and the services outlive the command that starts them and keep its output
        # open: start them with theirs going nowhere.
        self._quiet(["wineserver", "-p"])
        self._quiet(["wineboot", "-i"])
        self.mkdir(START)

    def start(self):
        """Starts the prefix's server, if it is not running, with its output going nowhere."""
        self._quiet(["wineserver", "-p"], check=False)

    def stop(self):
        if os.path.isdir(self.path):
            self._quiet(["wineserver", "-k"], check=False)

    def _quiet(self, command, check=True):
        subprocess.run(command, env=self.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, check=check, timeout=300)

    def host(self, windows_path):
        """Where a C: path lies on this machine; letter case as given."""
        assert windows_path[:3].upper() == "C:\\", windows_path
        parts = [p for p in windows_path[3:].split("\\") if p]
        return os.path.join(self.drive, *parts)

    def mkdir(self, windows_path):
        os.makedirs(self.host(windows_path), exist_ok=True)

    def plant(self, windows_path, read_only=False):
        """Creates a small file, and its folders; without write permission when `read_only`,
        which Wine reports as the read-only attribute."""
        target = self.host(windows_path)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        with open(target, "wb") as out:
            out.write(b"planted: " + windows_path.encode() + b"\n")
        if read_only:
            os.chmod(target, 0o444)

    def snapshot(self):
        """Every folder and file on drive C: by its path below drive_c, with what would show a
        change: for a file its mode, size, modification time and inode; for a folder its mode
        (deleting a file changes its folder's size and time)."""
        entries = {}
        for folder, folders, files in os.walk(self.drive):
            for name in folders + files:
                full = os.path.join(folder, name)
                st = os.lstat(full)
                key = os.path.relpath(full, self.drive)
                if os.path.isdir(full) and not os.path.islink(full):
                    entries[key] = ("folder", st.st_mode)
                else:
                    entries[key] = ("file", st.st_mode, st.st_size, st.st_mtime_ns, st.st_ino)
        return entries

    def restore(self, pristine):
        """Removes everything not in the `pristine` snapshot; true when the drive then matches it."""
        for key in sorted(set(self.snapshot()) - set(pristine), key=len, reverse=True):
            full = os.path.join(self.drive, key)
            if os.path.isdir(full) and not os.path.islink(full):
                shutil.rmtree(full)
            else:
                os.remove(full)
        return self.snapshot() == pristine

    def run(self, exe, args=(), cwd=START, relay=False):
        """Runs a Windows program with `cwd` as its starting directory; its output goes to files,
        not pipes, so that Wine's background processes cannot hold a reader open."""
        env = dict(self.env, WINEDEBUG="-all,+relay" if relay else "-all")
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            status = subprocess.run(["wine", exe, *args], env=env, cwd=self.host(cwd),
                                    stdin=subprocess.DEVNULL, stdout=out, stderr=err,
                                    timeout=120).returncode
            out.seek(0)
            err.seek(0)
            return Run(status, out.read(), err.read())

    def hold_open(self, helper, windows_paths):
        """Starts the helper that holds files open without delete sharing; returns it once it
        holds them. Closing its standard input lets them go."""
        process = subprocess.Popen(["wine", helper, *windows_paths], env=self.env,
                                   cwd=self.host(START), stdin=subprocess.PIPE,
                                   stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        line = process.stdout.readline()
        if line.strip() != b"held":
            process.kill()
            raise RuntimeError("the helper could not hold %s open" % windows_paths)
        return process


@contextlib.contextmanager
def throwaway(name):
    """A new prefix in a temporary folder, removed with its server when the block ends."""
    prefix = Prefix(tempfile.mkdtemp(prefix=name + "-"))
    try:
        prefix.create()
        yield prefix
    finally:
        prefix.stop()
        shutil.rmtree(prefix.path, ignore_errors=True)


_CALL = re.compile(r"^[0-9a-f]+:Call (\w+)\.(\w+)\((.*)\) ret=([0-9a-f]+)$")
_RET = re.compile(r"^[0-9a-f]+:Ret  (\w+)\.(\w+)\(\) retval=([0-9a-f]+) ret=([0-9a-f]+)$")
_STRING = re.compile(r'"((?:[^"\\]|\\.)*)"')


def _unescape(text):
    """Undoes the escaping of Wine's debug strings."""
    out, i = [], 0
    while i < len(text):
        if text[i] == "\\" and i + 1 < len(text):
            code = text[i + 1]
            if code == "x":
                out.append(chr(int(text[i + 2:i + 4], 16)))
                i += 4
                continue
            out.append({"n": "\n", "r": "\r", "t": "\t"}.get(code, code))
            i += 2
        else:
            out.append(text[i])
            i += 1
    return "".join(out)


def image_range(exe):
    """The addresses the program's image occupies when loaded at its preferred base."""
    import pefile  # here, so that listing the cases needs no pefile
    pe = pefile.PE(exe, fast_load=True)
    base = pe.OPTIONAL_HEADER.ImageBase
    return base, base + pe.OPTIONAL_HEADER.SizeOfImage


def calls_from_image(trace, image):
    """The calls that code in the program's image made, as (module.name, arguments, result),
    in order, from a relay trace."""
    low, high = image
    lines = trace.decode(errors="replace").splitlines()
    calls = []
    for i, line in enumerate(lines):
        match = _CALL.match(line)
        if not match or not low <= int(match.group(4), 16) < high:
            continue
        module, name, arguments, returns_to = match.groups()
        result = None
        for later in lines[i + 1:]:
            ret = _RET.match(later)
            if ret and ret.group(2) == name and ret.group(4) == returns_to:
                result = int(ret.group(3), 16)
                break
        calls.append((module.upper() + "." + name, arguments, result))
    return calls


def kernel_calls(calls):
    """The calls to the five kernel operations, with their arguments read."""
    out = []
    for qualified, arguments, result in calls:
        module, name = qualified.split(".")
        if module != "KERNEL32" or name not in KERNEL_OPERATIONS:
            continue
        if name in ("SetCurrentDirectoryA", "DeleteFileA"):
            string = _STRING.search(arguments)
            argument = _unescape(string.group(1)) if string else arguments
        else:
            sizes = arguments.split(",")
            argument = int(sizes[0] if name == "GetCurrentDirectoryA" else sizes[1], 16)
        out.append(Call(name, argument, result))
    return out


def is_relay_line(line):
    """True for a line Wine's relay channel writes; anything else on stderr the program wrote."""
    return re.match(rb"^[0-9a-f]+:(Call|Ret|Starting|trace:relay)", line) is not None
