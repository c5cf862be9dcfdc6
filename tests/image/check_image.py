#!/usr/bin/env python3
"""Reads Purgelet.exe with pefile, a PE reader independent of the toolchain, and checks what the
image promises: a 32-bit GUI program for Windows 4.0 and later, terminal-server aware, NX and
relocatable, with no time stamp, importing only from kernel32.dll and msvcrt.dll, carrying its
version record as its only resource, and small.

  check_image.py PATH_TO_EXE
"""

import os
import sys

import pefile

MAX_SIZE = 24 * 1024

FIXED = {
    "FileVersionMS": 0x00010000, "FileVersionLS": 0x00000001,
    "ProductVersionMS": 0x00010000, "ProductVersionLS": 0x00000001,
    "FileFlagsMask": 0x3F, "FileFlags": 0, "FileOS": 0x00040004, "FileType": 1,
    "FileSubtype": 0, "FileDateMS": 0, "FileDateLS": 0,
}
STRINGS = [
    ("Comments", ""), ("CompanyName", "Talvenor"), ("FileDescription", "Purgelet"),
    ("FileVersion", "1, 0, 0, 1"), ("InternalName", "Purgelet"),
    ("LegalCopyright", None),  # the maker's notice: present and not empty
    ("LegalTrademarks", ""), ("OriginalFilename", "Purgelet.exe"), ("PrivateBuild", ""),
    ("ProductName", "Talvenor Purgelet"), ("ProductVersion", "1, 0, 0, 1"), ("SpecialBuild", ""),
]


def check(path):
    problems = []
    size = os.path.getsize(path)

    def expect(actual, expected, what):
        if actual != expected:
            problems.append("%s: expected %r, got %r" % (what, expected, actual))

    pe = pefile.PE(path)
    header, optional = pe.FILE_HEADER, pe.OPTIONAL_HEADER
    expect(header.Machine, pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_I386"], "machine")
    expect(optional.Magic, 0x10B, "optional header (PE32)")
    expect(optional.Subsystem, pefile.SUBSYSTEM_TYPE["IMAGE_SUBSYSTEM_WINDOWS_GUI"], "subsystem")
    expect((optional.MajorSubsystemVersion, optional.MinorSubsystemVersion), (4, 0),
           "subsystem version")
    expect(header.TimeDateStamp, 0, "time stamp")
    for flag in ("IMAGE_DLLCHARACTERISTICS_TERMINAL_SERVER_AWARE",
                 "IMAGE_DLLCHARACTERISTICS_NX_COMPAT", "IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE"):
        expect(bool(optional.DllCharacteristics & pefile.DLL_CHARACTERISTICS[flag]), True, flag)
    expect(bool(header.Characteristics & pefile.IMAGE_CHARACTERISTICS[
        "IMAGE_FILE_RELOCS_STRIPPED"]), False, "relocations kept")
    relocations = optional.DATA_DIRECTORY[
        pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_BASERELOC"]]
    expect(relocations.Size > 0, True, "relocation table present")

    dlls = sorted(entry.dll.decode().lower() for entry in pe.DIRECTORY_ENTRY_IMPORT)
    expect(dlls, ["kernel32.dll", "msvcrt.dll"], "imported DLLs")
    expect(hasattr(pe, "DIRECTORY_ENTRY_DELAY_IMPORT"), False, "delay-loaded imports")
    expect(size <= MAX_SIZE, True, "size %d bytes at most %d" % (size, MAX_SIZE))

    if not hasattr(pe, "DIRECTORY_ENTRY_RESOURCE") or not hasattr(pe, "VS_FIXEDFILEINFO"):
        problems.append("no version record")
        return problems
    resources = [(kind.id, name.id, language.id)
                 for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries
                 for name in kind.directory.entries
                 for language in name.directory.entries]
    expect(resources, [(pefile.RESOURCE_TYPE["RT_VERSION"], 1, 1033)], "resources")

    fixed = pe.VS_FIXEDFILEINFO[0]
    expect(fixed.Signature, 0xFEEF04BD, "version record signature")
    for field, value in FIXED.items():
        expect(getattr(fixed, field), value, field)

    blocks = [info.Key.decode() for info in pe.FileInfo[0]]
    expect(blocks, ["StringFileInfo", "VarFileInfo"], "version record blocks")
    for info in pe.FileInfo[0]:
        if info.Key == b"StringFileInfo":
            tables = [(t.LangID.decode(), list(t.entries.items())) for t in info.StringTable]
            expect([t[0] for t in tables], ["040904b0"], "string tables")
            entries = [(k.decode(), v.decode()) for k, v in tables[0][1]] if tables else []
            expect([k for k, _ in entries], [k for k, _ in STRINGS], "string keys, in order")
            for (name, value), (_, expected) in zip(entries, STRINGS):
                if expected is None:
                    expect(value != "", True, name + " present")
                else:
                    expect(value, expected, name)
        elif info.Key == b"VarFileInfo":
            translations = [var.entry for var in info.Var]
            expect(translations, [{b"Translation": "0x0409 0x04b0"}], "translation")

    return problems


def main():
    problems = check(sys.argv[1])
    for problem in problems:
        print("FAIL " + problem)
    print("%s: %s" % (sys.argv[1], "image as promised" if not problems else "image not as promised"))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
