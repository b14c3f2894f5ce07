#!/usr/bin/env python3
"""End-to-end scenarios: the real executables of dist/wine64 run as processes
under wine64, each scenario in its own copy of the run's fresh prefix.

usage: e2e.py DIST SCENARIO UIDRIVER
"""
import os
import shutil
import subprocess
import sys
import time

WINE = "/usr/lib/wine/wine64"
WINESERVER = "/usr/lib/wine/wineserver64"


class Prefix:
    """A copy of the run's prefix with its own wineserver, removed afterwards."""

    def __init__(self, name):
        base = os.environ["WINEPREFIX"]
        self.path = os.path.join(os.path.dirname(base), "e2e-" + name)
        shutil.rmtree(self.path, ignore_errors=True)
        subprocess.run(["cp", "-a", base, self.path], check=True)
        self.env = dict(os.environ, WINEPREFIX=self.path)

    def run(self, args, timeout=60, check_exit=True):
        p = subprocess.run([WINE] + args, env=self.env, stdin=subprocess.DEVNULL,
                           stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=timeout)
        out = p.stdout.decode("latin-1").replace("\r\n", "\n")
        if check_exit and p.returncode != 0:
            raise AssertionError("%s exited with %d" % (args, p.returncode))
        return p.returncode, out

    def start(self, args):
        return subprocess.Popen([WINE] + args, env=self.env, stdin=subprocess.DEVNULL,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def set_version(self, exe, version):
        self.run(["reg", "add", "HKCU\\Software\\Wine\\AppDefaults\\%s" % exe, "/v", "Version",
                  "/d", version, "/f"])

    def unix(self, winpath):
        """C:\\x\\y as a host path inside this prefix."""
        assert winpath[1:3] == ":\\"
        return os.path.join(self.path, "drive_c", *winpath[3:].split("\\"))

    def close(self):
        subprocess.run([WINESERVER, "-k"], env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run([WINESERVER, "-w"], env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        shutil.rmtree(self.path, ignore_errors=True)


SCENARIOS = {}
UIDRIVER = None


def launch(prefix, cmdline, wait=True, timeout=120):
    """Starts cmdline exactly as a user would type it, through the UI driver."""
    env = dict(prefix.env, E2E_CMDLINE=cmdline)
    p = subprocess.run([WINE, UIDRIVER, "run" if wait else "start"], env=env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=timeout)
    return p.returncode, p.stdout.decode("latin-1").replace("\r\n", "\n")


def ui(prefix, *args, timeout=60):
    p = subprocess.run([WINE, UIDRIVER] + list(args), env=prefix.env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=timeout)
    return p.returncode, p.stdout.decode("latin-1").replace("\r\n", "\n").strip()


def scenario(fn):
    SCENARIOS[fn.__name__] = fn
    return fn


def wine_path(host_path):
    return "Z:" + os.path.abspath(host_path).replace("/", "\\")


def reg_value(prefix, key, name):
    code, out = prefix.run(["reg", "query", key, "/v", name], check_exit=False)
    if code != 0:
        return None
    for line in out.splitlines():
        parts = line.strip().split(None, 2)
        if len(parts) >= 2 and parts[0] == name:
            return parts[2] if len(parts) == 3 else ""
    return None


def lnk(path):
    out = subprocess.run(["lnkinfo", path], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).stdout.decode("latin-1")
    fields = {}
    for line in out.splitlines():
        if ":" in line:
            k, v = line.split(":", 1)
            fields[k.strip()] = v.strip()
    return fields


RUN_KEY = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run"
UNINSTALL_KEY = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VOREL12"
SERVICE_KEY = "HKLM\\System\\CurrentControlSet\\Services\\VOREL12"
MENU = "C:\\users\\root\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Tandrel"


def check(cond, what):
    if not cond:
        raise AssertionError(what)
    print("ok:", what)


def check_footprint(prefix, dest, nt):
    check(reg_value(prefix, RUN_KEY, "VOREL12") == dest + "vorel12a.exe", "Run value is %svorel12a.exe" % dest)
    check(reg_value(prefix, UNINSTALL_KEY, "DisplayName") == "Tandrel (V2.01)", "Uninstall DisplayName")
    check(reg_value(prefix, UNINSTALL_KEY, "UninstallString") == "C:\\windows\\system32\\vorel12u.exe",
          "UninstallString is the system folder's vorel12u.exe")
    for f in ("vorel12a.exe", "vorel12.htm"):
        check(os.path.isfile(prefix.unix(dest + f)), "%s installed" % f)
    check(os.path.isfile(prefix.unix("C:\\windows\\system32\\vorel12u.exe")), "uninstaller in the system folder")
    if nt:
        check(reg_value(prefix, SERVICE_KEY, "Type") == "0x1", "service type 1")
        check(reg_value(prefix, SERVICE_KEY, "Start") == "0x3", "service start 3")
        check(reg_value(prefix, SERVICE_KEY, "ErrorControl") == "0x1", "service error control 1")
        image = reg_value(prefix, SERVICE_KEY, "ImagePath") or ""
        check(image.lower().endswith("\\system32\\drivers\\vorel12s.sys"), "service image path " + image)
    links = {"Tandrel About.lnk": (dest + "vorel12a.exe", "Tandrel About"),
             "Tandrel Help.lnk": (dest + "vorel12.htm", "Tandrel Help"),
             "Uninstall Tandrel.lnk": ("C:\\windows\\system32\\vorel12u.exe", "Uninstallation")}
    for name, (target, desc) in links.items():
        info = lnk(prefix.unix(MENU + "\\" + name))
        check(info.get("Local path", "").lower() == target.lower(), "%s points at %s" % (name, target))
        check(info.get("Description") == desc, "%s description %s" % (name, desc))
    _, out = prefix.run(["uninstaller", "--list"], check_exit=False)
    check("Tandrel (V2.01)" in out, "uninstaller --list shows Tandrel (V2.01)")


def silent_install(dist, prefix, dest, version):
    prefix.set_version("setup.exe", version)
    prefix.set_version("vorel12a.exe", version)
    setup = wine_path(os.path.join(dist, "setup.exe"))
    start = time.time()
    code, _ = launch(prefix, '"%s" -s -d%s' % (setup, dest.rstrip("\\")))
    check(code == 0, "setup -s exited 0 after %.1f s" % (time.time() - start))


@scenario
def silent_install_into_blank_free_path(dist, prefix):
    silent_install(dist, prefix, "C:\\Apps\\Tandrel\\", "win2k")
    check_footprint(prefix, "C:\\Apps\\Tandrel\\", nt=True)


@scenario
def silent_install_into_path_with_blank(dist, prefix):
    silent_install(dist, prefix, "C:\\My Tools\\Tandrel\\", "win2k")
    check_footprint(prefix, "C:\\My Tools\\Tandrel\\", nt=True)


def main():
    if len(sys.argv) != 4 or sys.argv[2] not in SCENARIOS:
        sys.exit(__doc__ + "\nscenarios: " + ", ".join(sorted(SCENARIOS)))
    dist, name = sys.argv[1], sys.argv[2]
    global UIDRIVER
    UIDRIVER = wine_path(sys.argv[3])
    prefix = Prefix(name)
    try:
        SCENARIOS[name](dist, prefix)
    finally:
        prefix.close()


if __name__ == "__main__":
    main()
