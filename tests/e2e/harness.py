"""The e2e scenarios' shared harness: a per-scenario copy of the run's prefix,
the UI driver, the driver double and the peers that check a footprint.

One harness serves both architectures: the Wine loader and server are the
ones ./run names in WINE and WINESERVER, wine64 for the x86_64 package or
32-bit Wine for the shipped PE32 one.
"""
import os
import shutil
import subprocess
import tempfile
import time

# Set by configure(); read them as harness.NAME, since "from harness import *"
# copies their values at import time.
WINE = WINESERVER = UIDRIVER = DOUBLE = MARKER = TRUSTCHECK = None
BITS = 64
SCENARIOS = {}


def configure(bits, uidriver, double):
    global WINE, WINESERVER, UIDRIVER, DOUBLE, BITS, MARKER, TRUSTCHECK
    BITS = bits
    if not os.environ.get("WINE") or not os.environ.get("WINESERVER"):
        raise SystemExit("WINE and WINESERVER are not set: run this through ./run tier e2e (or e2e32)")
    WINE, WINESERVER = os.environ["WINE"], os.environ["WINESERVER"]
    UIDRIVER = wine_path(uidriver)
    DOUBLE = double
    MARKER = os.path.join(os.path.dirname(uidriver), "marker.exe")
    TRUSTCHECK = os.path.join(os.path.dirname(uidriver), "trustcheck.exe")


def scenario(fn):
    SCENARIOS[fn.__name__] = fn
    return fn


def work_dir():
    return os.path.dirname(os.environ["WINEPREFIX"])


class Prefix:
    """A copy of the run's prefix with its own wineserver, removed afterwards.
    Wine draws a virtual desktop there, so every window has its frame and
    caption in a screenshot."""

    def __init__(self, name):
        base = os.environ["WINEPREFIX"]
        self.path = os.path.join(work_dir(), "e2e-" + name)
        shutil.rmtree(self.path, ignore_errors=True)
        subprocess.run(["cp", "-a", base, self.path], check=True)
        self.env = dict(os.environ, WINEPREFIX=self.path)
        self.runas = []                     # before each Wine program: the user it runs as
        self.codepage = "windows-1252"      # of the ANSI texts that Wine's programs print
        # Wine's error channel of every process in this copy, for a failure's report.
        self.errors = open(self.path + ".wine-errors.log", "wb")
        self.run(["reg", "add", "HKCU\\Software\\Wine\\Explorer", "/v", "Desktop", "/d", "Default", "/f"])
        self.run(["reg", "add", "HKCU\\Software\\Wine\\Explorer\\Desktops", "/v", "Default", "/d", "1024x768", "/f"])

    def run(self, args, timeout=60, check_exit=True):
        p = subprocess.run(self.runas + [WINE] + args, env=self.env, stdin=subprocess.DEVNULL,
                           stdout=subprocess.PIPE, stderr=self.errors, timeout=timeout)
        out = p.stdout.decode(self.codepage.replace("windows-", "cp"), "replace").replace("\r\n", "\n")
        if check_exit and p.returncode != 0:
            raise AssertionError("%s exited with %d" % (args, p.returncode))
        return p.returncode, out

    def as_user(self, uid=65534):
        """From here on every Wine program of this copy runs as an unprivileged
        user, who owns the copy: Wine then refuses as Windows does (it writes
        over no read-only file). The user's own HOME and TMPDIR go with it."""
        self.stop_server()
        home = self.path + "-home"
        os.makedirs(os.path.join(home, "tmp"))
        subprocess.run(["chown", "-R", "%d:%d" % (uid, uid), self.path, home], check=True)
        self.runas = ["setpriv", "--reuid=%d" % uid, "--regid=%d" % uid, "--clear-groups"]
        self.env = dict(self.env, HOME=home, TMPDIR=os.path.join(home, "tmp"))

    def stop_server(self):
        for flag in ("-k", "-w"):
            subprocess.run(self.runas + [WINESERVER, flag], env=self.env, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)

    def set_version(self, version, *exes):
        for exe in exes or ("setup.exe", "vorel12a.exe", "vorel12u.exe"):
            self.run(["reg", "add", "HKCU\\Software\\Wine\\AppDefaults\\%s" % exe, "/v", "Version",
                      "/d", version, "/f"])

    def unix(self, winpath):
        """C:\\x\\y as a host path inside this prefix."""
        assert winpath[1:3] == ":\\"
        return os.path.join(self.path, "drive_c", *winpath[3:].split("\\"))

    def close(self):
        self.stop_server()
        shutil.rmtree(self.path, ignore_errors=True)
        shutil.rmtree(self.path + "-home", ignore_errors=True)
        self.errors.close()
        os.remove(self.errors.name)

    def wine_errors(self):
        """The last 80 lines that Wine reported on its error channel in this copy."""
        try:
            text = open(self.errors.name, "rb").read().decode("latin-1").replace("\r\n", "\n")
        except OSError:
            return ""
        return "\n".join(text.splitlines()[-80:])


def wine_path(host_path):
    return "Z:" + os.path.abspath(host_path).replace("/", "\\")


def vxd_double():
    return os.path.join(os.path.dirname(DOUBLE), "vxddouble.vxd")


def test_package(dist, vxd=False):
    """The package with the driver double as Kernel\\vorel12s.sys, outside dist/;
    with vxd, the VxD double as the vendor's Files\\vorel12v.vxd too."""
    pkg = os.path.join(work_dir(), "e2e-package")
    shutil.rmtree(pkg, ignore_errors=True)
    shutil.copytree(dist, pkg)
    shutil.copy(DOUBLE, os.path.join(pkg, "Kernel", "vorel12s.sys"))
    if vxd:
        shutil.copy(vxd_double(), os.path.join(pkg, "Files", "vorel12v.vxd"))
    return pkg


def next_version(dist, vxd=False, driver=False):
    """The test package as its next version: every program and the help page
    with a trailing marker, and with driver the driver file too."""
    pkg = test_package(dist, vxd)
    v2 = pkg + "-v2"
    shutil.rmtree(v2, ignore_errors=True)
    shutil.copytree(pkg, v2)
    for rel in ("setup.exe", "Files/vorel12a.exe", "Files/vorel12.htm", "Uninst/vorel12u.exe") + (
            ("Kernel/vorel12s.sys",) if driver else ()):
        with open(os.path.join(v2, rel), "ab") as f:
            f.write(b"\0next version\0")
    return v2


def same_file(prefix, winpath, host_path):
    try:
        return open(prefix.unix(winpath), "rb").read() == open(host_path, "rb").read()
    except OSError:
        return False


def install_vxd_doubles(prefix):
    """The system's VxD loader and the keyboard's device, where 32-bit Wine's
    VxD emulation finds "\\\\.\\VXDLDR" and "\\\\.\\VOREL12" as modules."""
    for name in ("vxdldr.vxd", "vorel12.vxd"):
        shutil.copy(vxd_double(), prefix.unix("C:\\windows\\system32\\" + name))


def vxd_log(prefix):
    """The VxD doubles' requests, one "module code bytes..." line each."""
    try:
        return open(prefix.unix("C:\\vorel12v.log"), "rb").read().decode("latin-1").splitlines()
    except OSError:
        return []


def screenshot(name):
    out = os.path.join(work_dir(), "screenshots")
    os.makedirs(out, exist_ok=True)
    path = os.path.join(out, name + ".png")
    subprocess.run(["import", "-display", os.environ["DISPLAY"], "-window", "root", path],
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    print("screenshot:", path)
    return path


class Started:
    """A program started through the UI driver; wait() gives its whole exit code,
    which the driver prints, since Wine's own status keeps only the low 8 bits."""

    def __init__(self, prefix, env):
        # Output to a file, not a pipe: a program it starts (setup starts the
        # agent) inherits the pipe and would hold it open.
        self.out = tempfile.TemporaryFile()
        self.popen = subprocess.Popen(prefix.runas + [WINE, UIDRIVER, "run"], env=env, stdin=subprocess.DEVNULL,
                                      stdout=self.out, stderr=prefix.errors)

    def wait(self, timeout=120):
        code = self.popen.wait(timeout=timeout)
        self.out.seek(0)
        text = self.out.read().decode("latin-1").replace("\r\n", "\n")
        self.out.close()
        for line in text.splitlines():
            if line.startswith("exit "):
                code = int(line.split()[1])
        self.output = text
        return code


def launch(prefix, cmdline, wait=True, timeout=120, env=None):
    """Starts cmdline exactly as a user would type it, through the UI driver;
    env adds variables that the program and what it starts inherit. Waits for
    (exit code, output), or returns the Started program."""
    started = Started(prefix, dict(prefix.env, E2E_CMDLINE=cmdline, **(env or {})))
    if not wait:
        return started
    try:
        return started.wait(timeout), started.output
    except subprocess.TimeoutExpired:
        started.popen.kill()
        raise


def ui(prefix, *args, timeout=60):
    p = subprocess.run(prefix.runas + [WINE, UIDRIVER] + list(args), env=prefix.env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.PIPE, stderr=prefix.errors, timeout=timeout)
    return p.returncode, p.stdout.decode("latin-1").replace("\r\n", "\n").strip()


def check(cond, what):
    if not cond:
        raise AssertionError(what)
    print("ok:", what)


def wait_for(predicate, seconds, what):
    end = time.time() + seconds
    while time.time() < end:
        if predicate():
            return
        time.sleep(0.1)
    raise AssertionError("timed out waiting for " + what)


def reg_value(prefix, key, name):
    code, out = prefix.run(["reg", "query", key, "/v", name], check_exit=False)
    if code != 0:
        return None
    for line in out.splitlines():
        parts = line.strip().split(None, 2)
        if len(parts) >= 2 and parts[0] == name:
            return parts[2] if len(parts) == 3 else ""
    return None


def lnk(path, codepage="windows-1252"):
    out = subprocess.run(["lnkinfo", "-c", codepage, path], stdout=subprocess.PIPE,
                         stderr=subprocess.DEVNULL).stdout.decode("utf-8", "replace")
    fields = {}
    for line in out.splitlines():
        if ":" in line:
            k, v = line.split(":", 1)
            fields[k.strip()] = v.strip()
    return fields


# A planted program's trace: the marker leaves it when it runs.
PLANTED_RAN = "C:\\planted-ran.txt"
RUN_KEY = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run"
UNINSTALL_KEY = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VOREL12"
SERVICE_KEY = "HKLM\\System\\CurrentControlSet\\Services\\VOREL12"
MENU = "C:\\users\\root\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Tandrel"
UNINSTALLER = "C:\\windows\\system32\\vorel12u.exe"
SETUP_TITLE = "Ossivane Multimedia Keyboard Driver Setup"
POWER_QUESTION = "Do you want to power off your computer?"
UNINSTALL_QUESTION = "Do you really want to uninstall this program."
REMOVED_RESTART = ("All the Tandrel files are removed. But the Uninstallation will take effects until you restart "
                   "the system.")
REMOVED = "This program has been uninstalled successfully."

POWER_RELEASE = "00005e000300000000000000"
SLEEP_RELEASE = "00005f000300000000000000"
POWER_PRESS = "00005e000200000000000000"


def check_footprint(prefix, dest, nt):
    check(reg_value(prefix, RUN_KEY, "VOREL12") == '"%svorel12a.exe"' % dest, "Run value is \"%svorel12a.exe\"" % dest)
    entry = {"DisplayName": "Tandrel (V2.01)", "UninstallString": '"%s"' % UNINSTALLER,
             "QuietUninstallString": '"%s" -s' % UNINSTALLER, "DisplayVersion": "2.01", "Publisher": "Ossivane",
             "DisplayIcon": dest + "vorel12a.exe", "NoModify": "0x1", "NoRepair": "0x1"}
    for name, value in entry.items():
        check(reg_value(prefix, UNINSTALL_KEY, name) == value, "Uninstall %s is %s" % (name, value))
    size = reg_value(prefix, UNINSTALL_KEY, "EstimatedSize") or "0x0"
    check(int(size, 16) > 0, "Uninstall EstimatedSize is %d KB" % int(size, 16))
    for f in ("vorel12a.exe", "vorel12.htm"):
        check(os.path.isfile(prefix.unix(dest + f)), "%s installed" % f)
    check(os.path.isfile(prefix.unix(UNINSTALLER)), "uninstaller in the system folder")
    if nt:
        check(reg_value(prefix, SERVICE_KEY, "Type") == "0x1", "service type 1")
        check(reg_value(prefix, SERVICE_KEY, "Start") == "0x3", "service start 3")
        check(reg_value(prefix, SERVICE_KEY, "ErrorControl") == "0x1", "service error control 1")
        image = reg_value(prefix, SERVICE_KEY, "ImagePath") or ""
        check(image.lower().endswith("\\system32\\drivers\\vorel12s.sys"), "service image path " + image)
    links = {"Tandrel About.lnk": (dest + "vorel12a.exe", "Tandrel About"),
             "Tandrel Help.lnk": (dest + "vorel12.htm", "Tandrel Help"),
             "Uninstall Tandrel.lnk": (UNINSTALLER, "Uninstallation")}
    for name, (target, desc) in links.items():
        info = lnk(prefix.unix(MENU + "\\" + name), prefix.codepage)
        check(info.get("Local path", "").lower() == target.lower(), "%s points at %s" % (name, target))
        check(info.get("Description") == desc, "%s description %s" % (name, desc))
    _, out = prefix.run(["uninstaller", "--list"], check_exit=False)
    check("Tandrel (V2.01)" in out, "uninstaller --list shows Tandrel (V2.01)")


def check_footprint_gone(prefix, dest):
    check(not os.path.exists(prefix.unix(dest.rstrip("\\"))), "the destination folder is gone")
    check(not os.path.exists(prefix.unix(MENU)), "the Start-menu folder is gone")
    check(reg_value(prefix, RUN_KEY, "VOREL12") is None, "the Run value is gone")
    check(reg_value(prefix, UNINSTALL_KEY, "DisplayName") is None, "the Uninstall entry is gone")


def driver_log(prefix):
    """The NT driver double's control codes; its file copy outlives a session that has ended."""
    try:
        return open(prefix.unix("C:\\vorel12s.log"), "rb").read().decode("latin-1").split()
    except OSError:
        return []


# Setup's and the uninstaller's exit codes.
INSTALLED, RESTART_NEEDED, CANCELLED, STEP_FAILED, REFUSED = 0, 3010, 1602, 1603, 1639
RESTART_FIRST, ALREADY_RUNNING, LOG_REFUSED, ACCESS_DENIED = 350, 1618, 1622, 5
PENDING_KEY = "HKLM\\System\\CurrentControlSet\\Control\\Session Manager"


def hold(prefix, winpath, seconds=120):
    """The UI driver holds a file open without sharing until the returned
    process is killed or the time is up."""
    out = tempfile.TemporaryFile()
    p = subprocess.Popen(prefix.runas + [WINE, UIDRIVER, "hold", winpath, str(seconds)], env=prefix.env, stdin=subprocess.DEVNULL,
                         stdout=out, stderr=prefix.errors)

    def held():
        out.seek(0)
        return b"held" in out.read() or p.poll() is not None
    wait_for(held, 20, "the hold on " + winpath)
    check(p.poll() is None, "%s is held open" % winpath)
    return p


def restart(prefix):
    """A restart and a logon: the Wine session ends, the next boot carries out
    the pending renames and WININIT.INI, and wineboot runs the Run values."""
    prefix.stop_server()
    subprocess.run(prefix.runas + [WINE, "wineboot"], env=prefix.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   stderr=prefix.errors, timeout=120)
    check(reg_value(prefix, PENDING_KEY, "PendingFileRenameOperations") is None, "the restart carried out every rename")


def silent_install(dist, prefix, dest, version=None, env=None, expect=None, log=""):
    """setup -s -d (and -l log), which on version 5 of the NT family says that a restart is due."""
    if version:
        prefix.set_version(version)
    if expect is None:
        expect = RESTART_NEEDED if version in ("win2k", "winxp") else INSTALLED
    setup = wine_path(os.path.join(dist, "setup.exe"))
    start = time.time()
    code, _ = launch(prefix, '"%s" -s -d%s%s' % (setup, dest.rstrip("\\"), log and " -l" + log), env=env)
    check(code == expect, "setup -s exited %d (%d expected) after %.1f s" % (code, expect, time.time() - start))


def uninstall(prefix, final):
    """Runs the uninstaller, confirms, checks the final message; seconds from the confirmation to it."""
    un = launch(prefix, UNINSTALLER, wait=False)
    code, out = ui(prefix, "box", "Tandrel", UNINSTALL_QUESTION, "IDYES", "20")
    check(code == 0, "the uninstaller asks once (%s)" % out)
    t0 = time.time()
    code, out = ui(prefix, "box", "Tandrel", final, "IDOK", "60")
    took = time.time() - t0
    check(code == 0, "the uninstaller ends with its final message (%s)" % out)
    expect = RESTART_NEEDED if final == REMOVED_RESTART else INSTALLED
    check(un.wait(timeout=30) == expect, "the uninstaller exited %d" % expect)
    return took


def silent_uninstall(prefix, nt, expect=None, log="", switches="-s"):
    """vorel12u -s (or other switches; and -l log): no window at any time, and the family's exit code."""
    un = launch(prefix, '"%s" %s%s' % (UNINSTALLER, switches, log and " -l" + log), wait=False)
    windows = set()
    while un.popen.poll() is None:
        # Any box at all is reported (2) and left alone; 3 is none within a second.
        code, out = ui(prefix, "box", "*", "*", "IDOK", "1")
        if code != 3:
            windows.add(out)
    code = un.wait(timeout=60)
    check(not windows, "vorel12u %s showed no window %s" % (switches, sorted(windows)))
    if expect is None:
        expect = RESTART_NEEDED if nt else INSTALLED
    check(code == expect, "vorel12u %s exited %d (%d expected)" % (switches, code, expect))


def wine_processes(prefix):
    """The Linux processes that run in this prefix's Wine session."""
    found = []
    for d in os.listdir("/proc"):
        if not d.isdigit():
            continue
        try:
            cmd = open("/proc/%s/cmdline" % d, "rb").read().decode("latin-1")
            env = open("/proc/%s/environ" % d, "rb").read().decode("latin-1")
        except OSError:
            continue
        if ("WINEPREFIX=" + prefix.path + "\0") in env:
            found.append((int(d), cmd.replace("\0", " ").strip()))
    return found


def agent_pid(prefix):
    code, out = ui(prefix, "pid", "ZNVACPI10")
    return int(out) if code == 0 and out.isdigit() else 0


def start_agent_from_setup(dist, prefix, version):
    """Silent install into C:\\Apps\\Tandrel of the package with the driver double;
    the agent that setup starts registers."""
    silent_install(test_package(dist), prefix, "C:\\Apps\\Tandrel\\", version)
    wait_for(lambda: agent_pid(prefix) and "0x00220000" in driver_log(prefix), 20, "the agent's register request")
    print("ok: setup started the agent; the driver double logged its register request")


def log_lines(prefix, winpath):
    """The lines of a run log, without their times."""
    with open(prefix.unix(winpath), encoding="latin-1") as f:
        return [line.rstrip("\r\n")[24:] for line in f]
