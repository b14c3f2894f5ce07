#!/usr/bin/env python3
"""Static checks of one shipped PE32 program.

usage: check_pe.py PROGRAM FILE IMPORTS_LIST

Fails when the file is not PE32 for i386, its subsystem or OS version is not
4.0, it imports from a DLL outside the allowed eight or a function outside
the program's list, or a resource the program must carry is missing or
differs from its documented text.
"""
import struct
import sys

ALLOWED_DLLS = {"KERNEL32.DLL", "USER32.DLL", "GDI32.DLL", "ADVAPI32.DLL", "SHELL32.DLL",
                "OLE32.DLL", "COMCTL32.DLL", "COMDLG32.DLL"}
RT_ICON, RT_DIALOG, RT_STRING, RT_GROUP_ICON, RT_VERSION = 3, 5, 6, 14, 16

# What each program must carry: dialogs, icon groups, and string-table texts.
REQUIRED = {
    "setup": {
        "dialogs": [101, 105], "icons": [104],
        "strings": {
            4: "Tandrel (V2.01)",
            7: "Please enter the correct destination directory.",
            9: "The setup is completed.\nPlease click OK to start loading driver.\n",
            10: "Setup has finished copying files to your computer. Before you use the program, you must "
                "restart your computer.\n\nChoose Yes to restart your computer now or choose No to restart later.",
        },
    },
    "vorel12a": {
        "dialogs": [113], "icons": [102],
        "strings": {
            1: "Do you want to power off your computer?",
            3: "Can not open kernel service file.",
            4: "Can not find xx.vxd file.",
        },
    },
    "vorel12u": {
        "dialogs": [], "icons": [101],
        "strings": {
            1: "Do you really want to uninstall this program.",
            2: "This program has been uninstalled successfully.",
            3: "All the Tandrel files are removed. But the Uninstallation will take effects until you restart the system.",
        },
    },
}


class Pe:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("no MZ header")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        self.machine, nsect, _, _, _, optsize, _ = struct.unpack_from("<HHIIIHH", data, pe + 4)
        opt = pe + 24
        self.magic = struct.unpack_from("<H", data, opt)[0]
        if self.magic != 0x10B:
            raise ValueError("optional header magic 0x%x is not PE32" % self.magic)
        self.os_version = struct.unpack_from("<HH", data, opt + 40)
        self.subsys_version = struct.unpack_from("<HH", data, opt + 48)
        self.subsystem = struct.unpack_from("<H", data, opt + 68)[0]
        ndirs = struct.unpack_from("<I", data, opt + 92)[0]
        self.dirs = [struct.unpack_from("<II", data, opt + 96 + 8 * i) for i in range(ndirs)]
        self.sections = []
        for i in range(nsect):
            off = opt + optsize + 40 * i
            vsize, va, rawsize, rawptr = struct.unpack_from("<IIII", data, off + 8)
            self.sections.append((va, max(vsize, rawsize), rawptr))

    def off(self, rva):
        for va, size, raw in self.sections:
            if va <= rva < va + size:
                return raw + rva - va
        raise ValueError("rva 0x%x outside sections" % rva)

    def cstr(self, rva):
        o = self.off(rva)
        return self.data[o:self.data.index(b"\0", o)].decode("ascii")

    def imports(self):
        rva = self.dirs[1][0]
        out = []
        while True:
            oft, _, _, name, ft = struct.unpack_from("<IIIII", self.data, self.off(rva))
            if name == 0:
                break
            dll = self.cstr(name)
            thunk = oft or ft
            while True:
                t = struct.unpack_from("<I", self.data, self.off(thunk))[0]
                if t == 0:
                    break
                out.append((dll, "#%d" % (t & 0xFFFF) if t & 0x80000000 else self.cstr(t + 2)))
                thunk += 4
            rva += 20
        return out

    def resources(self):
        base = self.dirs[2][0]
        if base == 0:
            return {}

        def entries(rva):
            o = self.off(rva)
            named, ids = struct.unpack_from("<HH", self.data, o + 12)
            for i in range(named + ids):
                name, target = struct.unpack_from("<II", self.data, o + 16 + 8 * i)
                yield name, target

        out = {}
        for typ, t1 in entries(base):
            for rid, t2 in entries(base + (t1 & 0x7FFFFFFF)):
                for _, t3 in entries(base + (t2 & 0x7FFFFFFF)):
                    drva, dsize = struct.unpack_from("<II", self.data, self.off(base + t3))
                    o = self.off(drva)
                    out[(typ, rid)] = self.data[o:o + dsize]
        return out


def strings_of(res):
    out = {}
    for (typ, block), data in res.items():
        if typ != RT_STRING:
            continue
        pos = 0
        for i in range(16):
            n = struct.unpack_from("<H", data, pos)[0]
            text = data[pos + 2:pos + 2 + 2 * n].decode("utf-16-le")
            pos += 2 + 2 * n
            if n:
                out[(block - 1) * 16 + i] = text
    return out


def allowed_functions(path, program):
    allowed, section = set(), None
    for line in open(path):
        line = line.split("#")[0].strip()
        if not line:
            continue
        if line.startswith("["):
            section = line.strip("[]")
            continue
        if section in (program, "entry"):
            dll, fn = line.split()
            allowed.add((dll.upper(), fn))
    return allowed


def check(program, path, imports_list):
    problems = []
    pe = Pe(open(path, "rb").read())
    if pe.machine != 0x14C:
        problems.append("machine 0x%x is not i386" % pe.machine)
    if pe.subsystem != 2:
        problems.append("subsystem %d is not Windows GUI" % pe.subsystem)
    if pe.subsys_version != (4, 0):
        problems.append("subsystem version %d.%d is not 4.0" % pe.subsys_version)
    if pe.os_version != (4, 0):
        problems.append("OS version %d.%d is not 4.0" % pe.os_version)
    allowed = allowed_functions(imports_list, program)
    for dll, fn in pe.imports():
        if dll.upper() not in ALLOWED_DLLS:
            problems.append("imports from %s" % dll)
        elif (dll.upper(), fn) not in allowed:
            problems.append("imports %s!%s, which is not on the list" % (dll, fn))
    res = pe.resources()
    need = REQUIRED[program]
    for d in need["dialogs"]:
        if (RT_DIALOG, d) not in res:
            problems.append("dialog %d missing" % d)
    for g in need["icons"]:
        grp = res.get((RT_GROUP_ICON, g))
        if grp is None:
            problems.append("icon group %d missing" % g)
            continue
        count = struct.unpack_from("<H", grp, 4)[0]
        w, h, colours, _, _, bits, _, icon_id = struct.unpack_from("<BBBBHHIH", grp, 6)
        if count != 1 or (w, h, colours, bits) != (32, 32, 16, 4) or (RT_ICON, icon_id) not in res:
            problems.append("icon group %d is not one 32 x 32 image with 16 colours" % g)
    if (RT_VERSION, 1) not in res:
        problems.append("version resource missing")
    else:
        ver = res[(RT_VERSION, 1)].decode("utf-16-le", "replace")
        if "Tandrel" not in ver or "2.01" not in ver:
            problems.append("version resource does not name Tandrel 2.01")
    texts = strings_of(res)
    for sid, text in need["strings"].items():
        if texts.get(sid) != text:
            problems.append("string %d is %r, not %r" % (sid, texts.get(sid), text))
    return problems


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    program, path, imports_list = sys.argv[1:]
    problems = check(program, path, imports_list)
    for p in problems:
        print("%s: %s" % (program, p))
    if problems:
        sys.exit(1)
    print("%s: PE32, GUI 4.0, OS 4.0, imports and resources as required" % program)


if __name__ == "__main__":
    main()
