"""Removal: the uninstaller leaves the machine as it was before the installation."""
import os
import tempfile

from harness import *


def registry_snapshot(prefix):
    """Every key and value line under the roots the package touches."""
    lines = set()
    for root in ("HKLM\\Software", "HKLM\\System\\CurrentControlSet\\Services", "HKCU\\Software", "HKCR\\CLSID"):
        with tempfile.NamedTemporaryFile(suffix=".reg", delete=False) as f:
            host = f.name
        prefix.run(["reg", "export", root, wine_path(host), "/y"], check_exit=False)
        key = None
        data = open(host, "rb").read().decode("utf-16", "replace") if os.path.getsize(host) else ""
        os.unlink(host)
        for line in data.splitlines():
            line = line.strip()
            if line.startswith("["):
                key = line
                lines.add(key)
            elif line and key:
                lines.add(key + " " + line)
    return lines


def files_snapshot(prefix):
    base = os.path.join(prefix.path, "drive_c")
    out = set()
    for d, dirs, files in os.walk(base):
        for n in dirs + files:
            out.add(os.path.relpath(os.path.join(d, n), base).lower())
    return out


# Wine itself writes these while programs run; they are not the package's.
WINE_KEYS = ("\\software\\wine\\", "\\explorer\\", "mounteddevices",
             "\\software\\microsoft\\windows nt\\currentversion\\perflib",
             "\\system\\currentcontrolset\\services\\eventlog", "\\software\\classes\\")
WINE_FILES = ("users/root/temp", "users/root/appdata/local/temp", "windows/temp")


@scenario
def round_trip_leaves_only_the_uninstaller(dist, prefix):
    prefix.set_version("win2k")
    prefix.run(["cmd", "/c", "exit", "0"])
    reg_before, files_before = registry_snapshot(prefix), files_snapshot(prefix)
    check(len(reg_before) > 1000 and len(files_before) > 500, "snapshots of %d registry lines and %d files"
          % (len(reg_before), len(files_before)))
    silent_install(dist, prefix, "C:\\Apps\\Tandrel\\")
    check(reg_value(prefix, RUN_KEY, "VOREL12") == "C:\\Apps\\Tandrel\\vorel12a.exe", "installed")
    uninstall(prefix, REMOVED_RESTART)
    reg_after, files_after = registry_snapshot(prefix), files_snapshot(prefix)
    reg_diff = sorted(l for l in reg_before ^ reg_after if not any(w in l.lower() for w in WINE_KEYS))
    files_diff = sorted(f for f in files_before ^ files_after if not f.startswith(WINE_FILES))
    for l in reg_diff:
        print("registry differs:", l)
    for f in files_diff:
        print("file differs:", f)
    check(not reg_diff, "the registry is as before (keys Wine itself touches excepted)")
    # Setup creates the destination's missing ancestors; removal is one level
    # deep, so C:\Apps stays, empty.
    check(files_diff == ["apps", "windows/system32/vorel12u.exe"],
          "drive_c differs only by the uninstaller's own file and the destination's empty parent")
    check(os.listdir(prefix.unix("C:\\Apps")) == [], "C:\\Apps is empty")


@scenario
def win98_silent_install_and_removal(dist, prefix):
    silent_install(dist, prefix, "C:\\Apps\\Tandrel\\", "win98")
    # setup starts the agent on 9x; without the VxD it reports it and ends.
    check(ui(prefix, "box", "Zolvar", "Can not find xx.vxd file.", "IDOK", "20")[0] == 0, "the started agent reports the VxD")
    check_footprint(prefix, "C:\\Apps\\Tandrel\\", nt=False)
    check(reg_value(prefix, SERVICE_KEY, "Type") is None, "no service on 9x")
    check(not os.path.exists(prefix.unix("C:\\windows\\system32\\drivers\\vorel12s.sys")), "no driver file on 9x")
    uninstall(prefix, REMOVED)
    check(not os.path.exists(prefix.unix("C:\\Apps\\Tandrel")), "destination removed")
