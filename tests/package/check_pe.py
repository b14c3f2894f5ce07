#!/usr/bin/env python3
"""Static checks of one shipped PE32 program.

usage: check_pe.py PROGRAM FILE IMPORTS_LIST

Fails when the file is not PE32 for i386, its subsystem or OS version is not
4.0, it imports from a DLL outside the allowed six or a function outside
the program's list, or it is larger than its size limit, or its resources
share a section with other data (a resource editor rewrites that section
whole), or a resource the program must carry is missing or
differs from its required text, or a dialog template differs control by
control from its required form, or its manifest does not request the
program's execution level in the form that XP and later Windows read.
"""
import struct
import sys
import xml.etree.ElementTree as ET

# KnownDLLs on NT 4, 2000 and XP alike, so never looked for beside the
# program. Any other DLL is loaded from the system folder by full path.
ALLOWED_DLLS = {"KERNEL32.DLL", "USER32.DLL", "GDI32.DLL", "ADVAPI32.DLL", "SHELL32.DLL", "COMDLG32.DLL"}
RT_ICON, RT_DIALOG, RT_STRING, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 5, 6, 14, 16, 24
# The one id the loader reads an executable's manifest from.
CREATEPROCESS_MANIFEST_RESOURCE_ID = 1
ASM_V1, ASM_V2 = "urn:schemas-microsoft-com:asm.v1", "urn:schemas-microsoft-com:asm.v2"

WS_POPUP, WS_CHILD, WS_VISIBLE, WS_CAPTION = 0x80000000, 0x40000000, 0x10000000, 0x00C00000
WS_BORDER, WS_VSCROLL, WS_SYSMENU, WS_GROUP, WS_TABSTOP = 0x00800000, 0x00200000, 0x00080000, 0x00020000, 0x00010000
DS_SETFONT, DS_MODALFRAME, DS_SETFOREGROUND, DS_CENTER = 0x40, 0x80, 0x200, 0x800
BS_PUSHBUTTON, BS_DEFPUSHBUTTON, BS_GROUPBOX = 0, 1, 7
SS_LEFT = 0
ES_AUTOHSCROLL, ES_READONLY = 0x80, 0x800
LBS_NOTIFY, LBS_SORT, LBS_OWNERDRAWVARIABLE, LBS_HASSTRINGS = 0x1, 0x2, 0x20, 0x40
LBS_NOINTEGRALHEIGHT, LBS_DISABLENOSCROLL = 0x100, 0x1000
CBS_DROPDOWNLIST, CBS_OWNERDRAWFIXED, CBS_AUTOHSCROLL, CBS_SORT, CBS_HASSTRINGS = 0x3, 0x10, 0x40, 0x100, 0x200
# The unsigned PE32 files, in bytes.
SIZE_LIMITS = {"setup": 32768, "vorel12a": 16384, "vorel12u": 20480}
IMPORT_DIR, RESOURCE_DIR, IAT_DIR = 1, 2, 12

# Atoms of the predefined control classes in a template
CLASS_ATOMS = {0x80: "BUTTON", 0x81: "EDIT", 0x82: "STATIC", 0x83: "LISTBOX", 0x84: "SCROLLBAR", 0x85: "COMBOBOX"}

CHILD = WS_CHILD | WS_VISIBLE
ANY_TEXT = None          # a text left to us

# The required templates: caption, style, font, size, then every control in
# template order as (id, class, text, style, (x, y, cx, cy)).
SETUP_DIALOG = {
    "caption": "Ossivane Multimedia Keyboard Driver Setup",
    "style": WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER | DS_SETFONT,
    "font": (10, "Arial"), "size": (244, 187),
    "controls": [
        (1001, "BUTTON", "&OK", CHILD | BS_DEFPUSHBUTTON | WS_TABSTOP, (49, 161, 50, 14)),
        (1002, "msctls_progress32", "Progress1", CHILD | WS_BORDER | WS_GROUP, (23, 134, 198, 13)),
        (-1, "BUTTON", "Source Directory", CHILD | BS_GROUPBOX, (15, 8, 215, 35)),
        (-1, "BUTTON", "Destination Directory", CHILD | BS_GROUPBOX, (15, 52, 215, 61)),
        (-1, "STATIC", "Available space for destination drive:", CHILD | SS_LEFT | WS_GROUP, (23, 66, 127, 8)),
        (-1, "STATIC", "Space needed:", CHILD | SS_LEFT | WS_GROUP, (23, 77, 59, 8)),
        (1013, "STATIC", "Static", CHILD | SS_LEFT | WS_GROUP, (90, 77, 81, 8)),
        (1012, "STATIC", "Static", CHILD | SS_LEFT | WS_GROUP, (155, 66, 72, 8)),
        (1010, "EDIT", "", CHILD | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, (23, 90, 149, 14)),
        (1011, "BUTTON", "C&hange... ", CHILD | BS_PUSHBUTTON | WS_TABSTOP, (176, 90, 46, 14)),
        (1014, "EDIT", "", CHILD | WS_BORDER | WS_TABSTOP | ES_READONLY | ES_AUTOHSCROLL, (23, 21, 198, 14)),
        (1015, "BUTTON", "&Cancel", CHILD | BS_PUSHBUTTON | WS_TABSTOP, (144, 161, 50, 14)),
        (1016, "BUTTON", "Setup progress", CHILD | BS_GROUPBOX, (14, 122, 215, 32)),
    ],
}

# The file list (1120) and the file-type field (1136) are there for the
# open-file dialog's sake and never visible.
CHOOSER_DIALOG = {
    "caption": "Choose Directory",
    "style": WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER | DS_SETFONT,
    "font": (10, "System"), "size": (174, 163),
    "controls": [
        (1, "BUTTON", "&OK", CHILD | BS_DEFPUSHBUTTON | WS_TABSTOP, (120, 59, 40, 14)),
        (2, "BUTTON", "&Cancel", CHILD | BS_PUSHBUTTON | WS_TABSTOP, (120, 102, 40, 14)),
        (-1, "STATIC", "Path:", CHILD | SS_LEFT | WS_GROUP, (14, 16, 40, 8)),
        (-1, "STATIC", "Directory:", CHILD | SS_LEFT | WS_GROUP, (14, 46, 46, 8)),
        (1121, "LISTBOX", "", CHILD | LBS_NOTIFY | LBS_SORT | LBS_OWNERDRAWVARIABLE | LBS_HASSTRINGS |
         LBS_DISABLENOSCROLL | WS_VSCROLL | WS_BORDER | WS_TABSTOP, (14, 59, 92, 58)),
        (1091, "STATIC", "Drives:", CHILD | SS_LEFT | WS_GROUP, (14, 121, 54, 8)),
        (1137, "COMBOBOX", "", CHILD | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_AUTOHSCROLL | CBS_SORT |
         CBS_HASSTRINGS | WS_VSCROLL | WS_TABSTOP, (14, 133, 89, 30)),
        (1088, "EDIT", "", CHILD | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, (14, 27, 145, 14)),
        (1120, "LISTBOX", "", WS_CHILD | LBS_NOTIFY | LBS_SORT | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER |
         WS_TABSTOP, (139, 134, 28, 22)),
        (1136, "EDIT", "", WS_CHILD | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, (151, 124, 16, 12)),
    ],
}

ABOUT_DIALOG = {
    "caption": "Tandrel",
    "style": WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_CENTER | DS_SETFOREGROUND | DS_MODALFRAME | DS_SETFONT,
    "font": (10, "Arial"), "size": (191, 106),
    "controls": [
        (-1, "BUTTON", "Tandrel", CHILD | BS_GROUPBOX, (7, 7, 175, 70)),
        (-1, "STATIC", "Tandrel Driver.", CHILD | WS_GROUP | SS_LEFT, (20, 20, 159, 10)),
        (-1, "STATIC", "Version V2.01", CHILD | WS_GROUP | SS_LEFT, (20, 33, 159, 10)),
        (-1, "STATIC", ANY_TEXT, CHILD | WS_GROUP | SS_LEFT, (20, 46, 159, 10)),
        (-1, "STATIC", ANY_TEXT, CHILD | WS_GROUP | SS_LEFT, (20, 60, 159, 10)),
        (1023, "BUTTON", "&OK", CHILD | WS_TABSTOP | BS_PUSHBUTTON, (73, 83, 41, 14)),
    ],
}

# What each program must carry: dialogs, icon groups, and string-table texts.
REQUIRED = {
    "setup": {
        "level": "requireAdministrator",
        "dialogs": {101: SETUP_DIALOG, 105: CHOOSER_DIALOG}, "icons": [104],
        "strings": {
            4: "Tandrel (V2.01)",
            7: "Please enter the correct destination directory.",
            9: "The setup is completed.\nPlease click OK to start loading driver.\n",
            10: "Setup has finished copying files to your computer. Before you use the program, you must "
                "restart your computer.\n\nChoose Yes to restart your computer now or choose No to restart later.",
        },
    },
    "vorel12a": {
        "level": "asInvoker",
        "dialogs": {113: ABOUT_DIALOG}, "icons": [102],
        "strings": {
            1: "Do you want to power off your computer?",
            3: "Can not open kernel service file.",
            4: "Can not find xx.vxd file.",
        },
    },
    "vorel12u": {
        "level": "requireAdministrator",
        "dialogs": {}, "icons": [101],
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
        self.sections, self.names = [], []
        for i in range(nsect):
            off = opt + optsize + 40 * i
            vsize, va, rawsize, rawptr = struct.unpack_from("<IIII", data, off + 8)
            self.sections.append((va, max(vsize, rawsize), rawptr))
            self.names.append(data[off:off + 8].rstrip(b"\0").decode("ascii", "replace"))

    def off(self, rva):
        for va, size, raw in self.sections:
            if va <= rva < va + size:
                return raw + rva - va
        raise ValueError("rva 0x%x outside sections" % rva)

    def section_of(self, rva):
        for i, (va, size, _) in enumerate(self.sections):
            if va <= rva < va + size:
                return i
        return None

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


class Template:
    """A DLGTEMPLATE (the classic form that DIALOG statements produce)."""

    def __init__(self, data):
        self.data = data
        self.style, self.ex_style, count, x, y, cx, cy = struct.unpack_from("<IIHhhhh", data, 0)
        self.size = (cx, cy)
        pos = 18
        self.menu, pos = self.sz_or_ord(pos)
        self.window_class, pos = self.sz_or_ord(pos)
        self.caption, pos = self.sz(pos)
        self.font = None
        if self.style & DS_SETFONT:
            points = struct.unpack_from("<H", data, pos)[0]
            face, pos = self.sz(pos + 2)
            self.font = (points, face)
        self.controls = []
        for _ in range(count):
            pos = (pos + 3) & ~3
            style, ex_style, x, y, cx, cy, cid = struct.unpack_from("<IIhhhhH", data, pos)
            cls, pos = self.sz_or_ord(pos + 18)
            text, pos = self.sz_or_ord(pos)
            extra = struct.unpack_from("<H", data, pos)[0]
            pos += 2 + extra
            if isinstance(cls, int):
                cls = CLASS_ATOMS.get(cls, "#%d" % cls)
            cid = cid - 0x10000 if cid == 0xFFFF else cid
            self.controls.append((cid, cls.upper(), text, style, (x, y, cx, cy), ex_style))

    def sz(self, pos):
        end = pos
        while self.data[end:end + 2] != b"\0\0":
            end += 2
        return self.data[pos:end].decode("utf-16-le"), end + 2

    def sz_or_ord(self, pos):
        first = struct.unpack_from("<H", self.data, pos)[0]
        if first == 0xFFFF:
            return struct.unpack_from("<H", self.data, pos + 2)[0], pos + 4
        return self.sz(pos)


def template_problems(rid, data, want):
    if struct.unpack_from("<HH", data, 0) == (1, 0xFFFF):
        return ["dialog %d is an extended template, not the classic one" % rid]
    t = Template(data)
    problems = []
    for what, got, expected in (("caption", t.caption, want["caption"]), ("style", t.style, want["style"]),
                                ("extended style", t.ex_style, 0), ("font", t.font, want["font"]),
                                ("size", t.size, want["size"]), ("menu", t.menu, ""), ("class", t.window_class, ""),
                                ("control count", len(t.controls), len(want["controls"]))):
        if got != expected:
            problems.append("dialog %d: %s is %s, not %s" % (rid, what, fmt(got), fmt(expected)))
    for n, (got, expected) in enumerate(zip(t.controls, want["controls"])):
        cid, cls, text, style, rect, ex_style = got
        e_id, e_cls, e_text, e_style, e_rect = expected
        where = "dialog %d control %d (id %d)" % (rid, n + 1, e_id)
        for what, g, e in (("id", cid, e_id), ("class", cls, e_cls.upper()), ("style", style, e_style),
                           ("rectangle", rect, e_rect), ("extended style", ex_style, 0)):
            if g != e:
                problems.append("%s: %s is %s, not %s" % (where, what, fmt(g), fmt(e)))
        if e_text is not ANY_TEXT and text != e_text:
            problems.append("%s: text is %r, not %r" % (where, text, e_text))
        if e_text is ANY_TEXT and not text:
            problems.append("%s: has no text" % where)
    return problems


def manifest_problems(data, level):
    try:
        root = ET.fromstring(data)
    except ET.ParseError as e:
        return ["manifest is not well-formed XML: %s" % e]
    problems = []
    if root.tag != "{%s}assembly" % ASM_V1:
        problems.append("manifest root is %s, not asm.v1 assembly" % root.tag)
    # XP refuses a trustInfo outside asm.v2; XP SP2 restarts on a tag that
    # declares that namespace twice (KB 921337), so it is declared once, on it.
    if data.count(ASM_V2.encode()) != 1 or b'<trustInfo xmlns="%s">' % ASM_V2.encode() not in data:
        problems.append("manifest does not declare asm.v2 exactly once, on trustInfo")
    levels = [e.get("level") for e in root.iter("{%s}requestedExecutionLevel" % ASM_V2)]
    if levels != [level]:
        problems.append("manifest requests execution level %s, not [%r]" % (levels, level))
    if b"Microsoft.Windows.Common-Controls" in data:
        problems.append("manifest depends on common controls 6; XP would draw the dialogs themed")
    return problems


def fmt(value):
    return "0x%08X" % value if isinstance(value, int) and value > 0xFFFF else repr(value)


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
    data = open(path, "rb").read()
    pe = Pe(data)
    if len(data) > SIZE_LIMITS[program]:
        problems.append("%d bytes, over the limit of %d" % (len(data), SIZE_LIMITS[program]))
    # UpdateResource rewrites the resource section whole and drops whatever
    # else lies in it: the section must open with the directory and hold
    # nothing that another data directory points into.
    rsrc = pe.section_of(pe.dirs[RESOURCE_DIR][0])
    if rsrc is None or pe.sections[rsrc][0] != pe.dirs[RESOURCE_DIR][0]:
        problems.append("the resource directory does not open a section of its own")
    else:
        for d in (IMPORT_DIR, IAT_DIR):
            if pe.dirs[d][0] and pe.section_of(pe.dirs[d][0]) == rsrc:
                problems.append("data directory %d lies in the resource section %s" % (d, pe.names[rsrc]))
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
    for d, want in need["dialogs"].items():
        if (RT_DIALOG, d) not in res:
            problems.append("dialog %d missing" % d)
        else:
            problems += template_problems(d, res[(RT_DIALOG, d)], want)
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
    manifest = res.get((RT_MANIFEST, CREATEPROCESS_MANIFEST_RESOURCE_ID))
    if manifest is None:
        problems.append("manifest resource 1 missing")
    else:
        problems += manifest_problems(manifest, need["level"])
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
    print("%s: PE32, GUI 4.0, OS 4.0, within its size limit, resources alone in their section, imports, resources, dialog templates and manifest (%s) as required"
          % (program, REQUIRED[program]["level"]))


if __name__ == "__main__":
    main()
