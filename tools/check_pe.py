#!/usr/bin/env python3
"""Checks Windows PE images against what the oldest systems they are for
can load and run.

    check_pe.py --allowed LIST [--dlls] [--exports NAME,NAME,...] [--no-tls]
                [--floor-386 OBJDUMP] [--measure] IMAGE...

Fails (exit 1, one line per fault) when an image
  - imports from a DLL that LIST does not name (a C runtime DLL, say, or a
    runtime DLL of the compiler, instead of one of the system's own),
  - imports a function, or an ordinal, that LIST does not name for its DLL
    (unless --dlls: then only the DLLs are judged),
  - exports a decorated name ("_Name", "Name@12"), or, with --exports, any
    name besides the ones given (every image exports exactly those then),
  - with --no-tls, has a TLS directory (Windows 95 cannot load a DLL that
    has one),
  - with --floor-386, is not a 32-bit x86 image or holds an instruction
    that the 386 does not execute, found in the disassembly of its code by
    OBJDUMP (check_code.py).
With --measure the faults are printed as what the image needs, and the exit
code is 0: for images the build takes as they come (the setup stub).

LIST holds one "DLL Function" pair a line; "#" starts a comment. DLL names
compare without regard to case, function names exactly. The tables are read
from the file itself.
"""

import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import check_code  # noqa: E402


class Image:
    def __init__(self, path):
        with open(path, "rb") as f:
            self.data = f.read()
        self.path = path
        if self.data[:2] != b"MZ":
            raise ValueError("not a PE image (no MZ header)")
        pe = struct.unpack_from("<I", self.data, 0x3C)[0]
        if self.data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("not a PE image (no PE signature)")
        machine, sections, _, _, _, optional_size, _ = struct.unpack_from("<HHIIIHH", self.data, pe + 4)
        self.machine = machine
        optional = pe + 24
        magic = struct.unpack_from("<H", self.data, optional)[0]
        if magic == 0x10B:
            directories = optional + 96
            self.pointer_size = 4
        elif magic == 0x20B:
            directories = optional + 112
            self.pointer_size = 8
        else:
            raise ValueError("unknown optional header 0x%x" % magic)
        count = struct.unpack_from("<I", self.data, directories - 4)[0]
        self.directories = [struct.unpack_from("<II", self.data, directories + 8 * i) for i in range(count)]
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            _, vsize, vaddr, rsize, raw = struct.unpack_from("<8sIIII", self.data, table + 40 * i)
            self.sections.append((vaddr, max(vsize, rsize), raw))

    def offset(self, rva):
        for vaddr, size, raw in self.sections:
            if vaddr <= rva < vaddr + size:
                return raw + rva - vaddr
        raise ValueError("address 0x%x lies in no section" % rva)

    def string(self, rva):
        start = self.offset(rva)
        end = self.data.index(b"\0", start)
        return self.data[start:end].decode("ascii", "replace")

    def directory(self, index):
        if index >= len(self.directories):
            return (0, 0)
        return self.directories[index]

    def _thunks(self, rva):
        fmt, flag = ("<I", 0x80000000) if self.pointer_size == 4 else ("<Q", 1 << 63)
        pos = self.offset(rva)
        while True:
            value = struct.unpack_from(fmt, self.data, pos)[0]
            if value == 0:
                return
            if value & flag:
                yield "#%d" % (value & 0xFFFF)
            else:
                yield self.string((value & 0x7FFFFFFF) + 2)
            pos += self.pointer_size

    def imports(self):
        """(dll, function) pairs of the import and the delay-load tables."""
        result = []
        rva, size = self.directory(1)
        if rva:
            pos = self.offset(rva)
            while True:
                lookup, _, _, name, first = struct.unpack_from("<IIIII", self.data, pos)
                if name == 0:
                    break
                dll = self.string(name)
                for function in self._thunks(lookup or first):
                    result.append((dll, function))
                pos += 20
        rva, size = self.directory(13)
        if rva:
            pos = self.offset(rva)
            while True:
                fields = struct.unpack_from("<IIIIIIII", self.data, pos)
                if fields[1] == 0:
                    break
                dll = self.string(fields[1])
                for function in self._thunks(fields[4]):
                    result.append((dll, function))
                pos += 32
        return result

    def exports(self):
        rva, size = self.directory(0)
        if not rva:
            return []
        fields = struct.unpack_from("<IIHHIIIIIII", self.data, self.offset(rva))
        names, name_table = fields[7], fields[9]
        pos = self.offset(name_table)
        return [self.string(struct.unpack_from("<I", self.data, pos + 4 * i)[0]) for i in range(names)]


def read_allowed(path):
    allowed = {}
    with open(path, encoding="ascii") as f:
        for number, line in enumerate(f, 1):
            line = line.split("#", 1)[0].strip()
            if not line:
                continue
            parts = line.split()
            if len(parts) != 2:
                raise ValueError("%s:%d: expected 'DLL Function'" % (path, number))
            allowed.setdefault(parts[0].lower(), set()).add(parts[1])
    return allowed


def decorated(name):
    return name.startswith("_") or "@" in name


def check(path, allowed, exports, no_tls=False, objdump=None, dlls_only=False):
    faults = []
    try:
        image = Image(path)
        imported = image.imports()
        exported = image.exports()
    except (OSError, ValueError, struct.error) as error:
        return ["%s: cannot read its tables: %s" % (path, error)]
    if no_tls and image.directory(9)[0] != 0:
        faults.append("%s: has a TLS directory, and Windows 95 loads no DLL that has one" % path)
    if objdump is not None:
        if image.machine != 0x14C:
            faults.append("%s: is not a 32-bit x86 image (machine 0x%x)" % (path, image.machine))
        else:
            try:
                for part in check_code.describe(check_code.newer_than_386(path, objdump)):
                    faults.append("%s: holds an instruction the 386 does not execute: %s" % (path, part))
            except (OSError, ValueError) as error:
                faults.append("%s: cannot read its code: %s" % (path, error))
    foreign = {}
    for dll, function in imported:
        functions = allowed.get(dll.lower())
        if functions is None:
            foreign[dll] = foreign.get(dll, 0) + 1
        elif function not in functions and not dlls_only:
            faults.append("%s: imports %s from %s, which is not among the functions that Windows 95 and NT 4.0 both export" %
                          (path, function, dll))
    for dll in sorted(foreign):
        faults.append("%s: imports %d function%s from %s, which is not a DLL of the system's own" %
                      (path, foreign[dll], "" if foreign[dll] == 1 else "s", dll))
    for name in exported:
        if decorated(name):
            faults.append("%s: exports the decorated name %s" % (path, name))
    if exports is not None and exported and sorted(exported) != sorted(exports):
        faults.append("%s: exports %s, expected %s" % (path, ", ".join(sorted(exported)),
                                                         ", ".join(sorted(exports))))
    return faults


def main(argv):
    allowed_path = None
    exports = None
    no_tls = False
    objdump = None
    measure = False
    dlls_only = False
    images = []
    args = iter(argv)
    for arg in args:
        if arg == "--allowed":
            allowed_path = next(args)
        elif arg == "--exports":
            exports = [name for name in next(args).split(",") if name]
        elif arg == "--no-tls":
            no_tls = True
        elif arg == "--floor-386":
            objdump = next(args)
        elif arg == "--measure":
            measure = True
        elif arg == "--dlls":
            dlls_only = True
        else:
            images.append(arg)
    if allowed_path is None or not images:
        print("\n".join(line.strip() for line in __doc__.strip().splitlines()[3:5]), file=sys.stderr)
        return 2
    allowed = read_allowed(allowed_path)
    faults = []
    for image in images:
        faults.extend(check(image, allowed, exports, no_tls, objdump, dlls_only))
    for fault in faults:
        print(("needs: " if measure else "") + fault)
    return 1 if faults and not measure else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
