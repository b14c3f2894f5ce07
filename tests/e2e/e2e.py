#!/usr/bin/env python3
"""End-to-end scenarios: the real executables of dist/wine64 run as processes
under wine64, each scenario in its own copy of the run's fresh prefix.

usage: e2e.py DIST SCENARIO UIDRIVER DRIVER_DOUBLE
"""
import os
import shutil
import subprocess
import sys
import tempfile
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
DOUBLE = None
SHOTS = []


def test_package(dist):
    """dist/wine64 with the driver double as Kernel\\vorel12s.sys, outside dist/."""
    pkg = os.path.join(os.path.dirname(os.environ["WINEPREFIX"]), "e2e-package")
    shutil.rmtree(pkg, ignore_errors=True)
    shutil.copytree(dist, pkg)
    shutil.copy(DOUBLE, os.path.join(pkg, "Kernel", "vorel12s.sys"))
    return pkg


def screenshot(name):
    out = os.path.join(os.path.dirname(os.environ["WINEPREFIX"]), "screenshots")
    os.makedirs(out, exist_ok=True)
    path = os.path.join(out, name + ".png")
    subprocess.run(["import", "-display", os.environ["DISPLAY"], "-window", "root", path],
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    print("screenshot:", path)
    return path


def launch(prefix, cmdline, wait=True, timeout=120):
    """Starts cmdline exactly as a user would type it, through the UI driver."""
    env = dict(prefix.env, E2E_CMDLINE=cmdline)
    # Output to a file, not a pipe: a program it starts (setup starts the
    # agent) inherits the pipe and would hold it open.
    with tempfile.TemporaryFile() as out:
        p = subprocess.run([WINE, UIDRIVER, "run" if wait else "start"], env=env, stdin=subprocess.DEVNULL,
                           stdout=out, stderr=subprocess.DEVNULL, timeout=timeout)
        out.seek(0)
        return p.returncode, out.read().decode("latin-1").replace("\r\n", "\n")


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


def driver_log(prefix):
    _, out = ui(prefix, "log")
    return out.split()


def wait_for(predicate, seconds, what):
    end = time.time() + seconds
    while time.time() < end:
        if predicate():
            return
        time.sleep(0.1)
    raise AssertionError("timed out waiting for " + what)


POWER_RELEASE = "00005e000300000000000000"
SLEEP_RELEASE = "00005f000300000000000000"
POWER_PRESS = "00005e000200000000000000"


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


@scenario
def agent_with_driver_double_then_uninstall_nt40(dist, prefix):
    agent_with_driver_double_then_uninstall(dist, prefix, "nt40")


@scenario
def agent_with_driver_double_then_uninstall_win10(dist, prefix):
    agent_with_driver_double_then_uninstall(dist, prefix, "win10")


def agent_with_driver_double_then_uninstall(dist, prefix, version):
    pkg = test_package(dist)
    prefix.set_version("vorel12u.exe", version)
    silent_install(pkg, prefix, "C:\\Apps\\Tandrel\\", version)
    code, _ = ui(prefix, "window", "ZNVACPI10", "20")
    check(code == 0, "setup started the agent (its window exists)")
    wait_for(lambda: "0x00220000" in driver_log(prefix), 10, "the register request")
    print("ok: the driver double logged the register request")
    ui(prefix, "inject", POWER_PRESS)
    code, out = ui(prefix, "box", "Tandrel", "Do you want to power off your computer?", "IDNO", "2")
    check(code == 3, "a Power-key press asks nothing")
    ui(prefix, "inject", POWER_RELEASE)
    time.sleep(0.5)
    screenshot("power-question")
    code, out = ui(prefix, "box", "Tandrel", "Do you want to power off your computer?", "IDNO", "10")
    check(code == 0, "a Power-key release asks the question; answered No (%s)" % out)
    time.sleep(0.5)
    check("0x00220008" not in driver_log(prefix), "No sends no power-down notice")
    ui(prefix, "inject", SLEEP_RELEASE)
    code, out = ui(prefix, "box", "Tandrel", "Do you want to power off your computer?", "IDNO", "2")
    check(code == 3, "a Sleep-key release asks no question")
    for cmd, want in (("1128", None), ("1130", "1"), ("1128", None), ("1130", "1"), ("1129", None), ("1130", "0")):
        code, out = ui(prefix, "send", "ZNVACPI10", "273", cmd, "0")
        check(code == 0 and (want is None or out == want), "command %s from another process -> %s" % (cmd, out))
    ui(prefix, "send", "ZNVACPI10", "0x218", "4", "0")
    check("0x00220008" in driver_log(prefix), "a suspend broadcast sends the power-down notice")
    ui(prefix, "send", "ZNVACPI10", "0x218", "7", "0")
    t0 = time.time()
    wait_for(lambda: "0x0022000c" in driver_log(prefix), 8, "the resume notice")
    took = time.time() - t0
    check(3.5 <= took <= 6.0, "the resume notice came %.1f s after the resume" % took)
    launch(prefix, "C:\\Apps\\Tandrel\\vorel12a.exe", wait=True, timeout=30)
    code, _ = ui(prefix, "window", "#32770", "10", "Tandrel")
    check(code == 0, "a second agent start shows the About box of the running one")
    time.sleep(0.3)
    screenshot("about-box")
    ui(prefix, "postw", "#32770", "Tandrel", "273", "1023", "0")
    code, _ = ui(prefix, "nowindow", "#32770", "5")
    check(code == 0, "OK ends the About box")
    # The uninstaller closes the running agent before it deletes files.
    env = dict(prefix.env, E2E_CMDLINE="C:\\windows\\system32\\vorel12u.exe")
    un = subprocess.Popen([WINE, UIDRIVER, "run"], env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL)
    code, out = ui(prefix, "box", "Tandrel", "Do you really want to uninstall this program.", "IDYES", "20")
    check(code == 0, "the uninstaller asks once (%s)" % out)
    code, out = ui(prefix, "box", "Tandrel", "All the Tandrel files are removed. But the Uninstallation will take "
                   "effects until you restart the system.", "IDOK", "30")
    check(code == 0, "the uninstaller ends with string 3 (%s)" % out)
    check(un.wait(timeout=30) == 0, "the uninstaller exited 0")
    code, _ = ui(prefix, "nowindow", "ZNVACPI10", "1")
    check(code == 0, "the agent has ended")
    check("0x00220004" in driver_log(prefix), "the agent's stop request reached the driver (the service is left running)")
    check(not os.path.exists(prefix.unix("C:\\Apps\\Tandrel")), "the destination folder is gone")
    check(not os.path.exists(prefix.unix(MENU)), "the Start-menu folder is gone")
    check(reg_value(prefix, RUN_KEY, "VOREL12") is None, "the Run value is gone")
    check(reg_value(prefix, UNINSTALL_KEY, "DisplayName") is None, "the Uninstall entry is gone")
    check(os.path.isfile(prefix.unix("C:\\windows\\system32\\vorel12u.exe")), "the uninstaller's own file stays")
    # The driver was loaded: the service is marked for deletion, not stopped.
    _, out = prefix.run(["sc", "query", "VOREL12"], check_exit=False)
    print("sc query VOREL12 after the removal:", " ".join(out.split())[:200])
    check(reg_value(prefix, SERVICE_KEY, "Type") is None or "RUNNING" in out,
          "the service entry is gone, or left only while its driver is still loaded")


@scenario
def agent_on_win98_reports_the_missing_vxd(dist, prefix):
    prefix.set_version("vorel12a.exe", "win98")
    env = dict(prefix.env, E2E_CMDLINE=wine_path(os.path.join(dist, "Files", "vorel12a.exe")))
    agent = subprocess.Popen([WINE, UIDRIVER, "run"], env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL)
    code, out = ui(prefix, "box", "Zolvar", "Can not find xx.vxd file.", "IDOK", "20")
    check(code == 0, "the agent shows string 4 in a Zolvar box (%s)" % out)
    check(agent.wait(timeout=20) == 0, "and ends with exit code 0")


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
    for exe in ("setup.exe", "vorel12a.exe", "vorel12u.exe"):
        prefix.set_version(exe, "win2k")
    prefix.run(["cmd", "/c", "exit", "0"])
    reg_before, files_before = registry_snapshot(prefix), files_snapshot(prefix)
    check(len(reg_before) > 1000 and len(files_before) > 500, "snapshots of %d registry lines and %d files"
          % (len(reg_before), len(files_before)))
    code, _ = launch(prefix, '"%s" -s -dC:\\Apps\\Tandrel' % wine_path(os.path.join(dist, "setup.exe")))
    check(code == 0, "silent install exited 0")
    check(reg_value(prefix, RUN_KEY, "VOREL12") == "C:\\Apps\\Tandrel\\vorel12a.exe", "installed")
    env = dict(prefix.env, E2E_CMDLINE="C:\\windows\\system32\\vorel12u.exe")
    un = subprocess.Popen([WINE, UIDRIVER, "run"], env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL)
    check(ui(prefix, "box", "Tandrel", "Do you really want to uninstall this program.", "IDYES", "20")[0] == 0,
          "confirmed")
    check(ui(prefix, "box", "Tandrel", "All the Tandrel files are removed. But the Uninstallation will take effects "
             "until you restart the system.", "IDOK", "30")[0] == 0, "final message string 3")
    check(un.wait(timeout=30) == 0, "uninstaller exited 0")
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


SETUP_TITLE = "Ossivane Multimedia Keyboard Driver Setup"


@scenario
def dialog_install_with_chooser_on_win2k(dist, prefix):
    for exe in ("setup.exe", "vorel12a.exe"):
        prefix.set_version(exe, "win2k")
    env = dict(prefix.env, E2E_CMDLINE='"%s"' % wine_path(os.path.join(dist, "setup.exe")))
    setup = subprocess.Popen([WINE, UIDRIVER, "run"], env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL)
    check(ui(prefix, "window", "#32770", "20", SETUP_TITLE)[0] == 0, "the setup dialog opens")
    time.sleep(0.5)
    screenshot("setup-dialog")
    texts = {i: ui(prefix, "text", SETUP_TITLE, str(i))[1] for i in (1010, 1012, 1013, 1014, 1016)}
    print("dialog texts:", texts)
    check(texts[1010] == "C:\\Tandrel\\", "destination shows C:\\Tandrel\\")
    check(texts[1014] == wine_path(dist) + "\\", "source shows the package folder: " + texts[1014])
    check(texts[1012].endswith("K Bytes") and "," in texts[1012], "free space grouped: " + texts[1012])
    check(texts[1013].endswith("K Bytes") and "," not in texts[1013], "needed space plain: " + texts[1013])
    check(texts[1016] == "Setup progress", "progress frame caption")
    ui(prefix, "click", SETUP_TITLE, "1011")
    check(ui(prefix, "window", "#32770", "10", "")[0] == 0, "Change... opens the chooser")
    time.sleep(0.5)
    screenshot("chooser")
    check(ui(prefix, "settext", "", "1088", "C:\\Picked\\Tandrel")[0] == 0, "a path typed into the chooser")
    ui(prefix, "click", "", "1")
    wait_for(lambda: ui(prefix, "text", SETUP_TITLE, "1010")[1] == "C:\\Picked\\Tandrel\\", 10,
             "the chosen folder in the dialog")
    print("ok: the dialog shows the chosen folder after OK in the chooser")
    ui(prefix, "click", SETUP_TITLE, "1001")
    code, out = ui(prefix, "box", "Tandrel Setup", "Setup has finished copying files to your computer. Before you use "
                   "the program, you must restart your computer.\n\nChoose Yes to restart your computer now or "
                   "choose No to restart later.", "IDNO", "60")
    check(code == 0, "string 10 asks to restart; answered No (%s)" % out)
    check(setup.wait(timeout=30) == 0, "setup exited 0")
    check_footprint(prefix, "C:\\Picked\\Tandrel\\", nt=True)
    check(ui(prefix, "window", "ZNVACPI10", "2")[0] != 0, "no agent was started")


@scenario
def win98_silent_install_and_removal(dist, prefix):
    for exe in ("setup.exe", "vorel12u.exe"):
        prefix.set_version(exe, "win98")
    prefix.set_version("vorel12a.exe", "win98")
    code, _ = launch(prefix, '"%s" -s -dC:\\Apps\\Tandrel' % wine_path(os.path.join(dist, "setup.exe")))
    check(code == 0, "silent install exited 0")
    # setup starts the agent on 9x; without the VxD it reports it and ends.
    check(ui(prefix, "box", "Zolvar", "Can not find xx.vxd file.", "IDOK", "20")[0] == 0, "the started agent reports the VxD")
    check_footprint(prefix, "C:\\Apps\\Tandrel\\", nt=False)
    check(reg_value(prefix, SERVICE_KEY, "Type") is None, "no service on 9x")
    check(not os.path.exists(prefix.unix("C:\\windows\\system32\\drivers\\vorel12s.sys")), "no driver file on 9x")
    env = dict(prefix.env, E2E_CMDLINE="C:\\windows\\system32\\vorel12u.exe")
    un = subprocess.Popen([WINE, UIDRIVER, "run"], env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL)
    check(ui(prefix, "box", "Tandrel", "Do you really want to uninstall this program.", "IDYES", "20")[0] == 0, "confirmed")
    check(ui(prefix, "box", "Tandrel", "This program has been uninstalled successfully.", "IDOK", "30")[0] == 0,
          "final message string 2")
    check(un.wait(timeout=30) == 0, "uninstaller exited 0")
    check(not os.path.exists(prefix.unix("C:\\Apps\\Tandrel")), "destination removed")


def agent_pid(prefix):
    code, out = ui(prefix, "pid", "ZNVACPI10")
    return int(out) if code == 0 and out.isdigit() else 0


def unix_pid_of_agent(prefix):
    """The Linux process that runs this prefix's agent."""
    for d in os.listdir("/proc"):
        if not d.isdigit():
            continue
        try:
            cmd = open("/proc/%s/cmdline" % d, "rb").read().decode("latin-1")
            env = open("/proc/%s/environ" % d, "rb").read().decode("latin-1")
        except OSError:
            continue
        if "vorel12a.exe" in cmd and ("WINEPREFIX=" + prefix.path + "\0") in env:
            return int(d)
    return 0


def cpu_and_switches(pid):
    ticks = switches = 0
    tasks = os.listdir("/proc/%d/task" % pid)
    for t in tasks:
        stat = open("/proc/%d/task/%s/stat" % (pid, t)).read().rsplit(")", 1)[1].split()
        ticks += int(stat[11]) + int(stat[12])
        for line in open("/proc/%d/task/%s/status" % (pid, t)):
            if line.startswith("voluntary_ctxt_switches"):
                switches += int(line.split()[1])
    return ticks, switches, len(tasks)


def uninstall_time(prefix):
    """Seconds from the confirmation to the final message."""
    env = dict(prefix.env, E2E_CMDLINE="C:\\windows\\system32\\vorel12u.exe")
    un = subprocess.Popen([WINE, UIDRIVER, "run"], env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL)
    check(ui(prefix, "box", "Tandrel", "Do you really want to uninstall this program.", "IDYES", "20")[0] == 0,
          "the uninstaller asks once")
    t0 = time.time()
    code, _ = ui(prefix, "box", "Tandrel", "All the Tandrel files are removed. But the Uninstallation will take "
                 "effects until you restart the system.", "IDOK", "30")
    took = time.time() - t0
    check(code == 0 and un.wait(timeout=30) == 0, "the uninstaller ends with string 3 and exit code 0")
    return took


def bench(dist, prefix, report=True):
    pkg = test_package(dist)
    for i in range(17):                      # with the agent, the page and a VxD: 20 files in Files\
        open(os.path.join(pkg, "Files", "extra%02d.bin" % i), "wb").write(b"x" * 5000)
    open(os.path.join(pkg, "Files", "vorel12v.vxd"), "wb").write(b"x" * 100)
    for exe in ("setup.exe", "vorel12a.exe", "vorel12u.exe"):
        prefix.set_version(exe, "nt40")
    t0 = time.time()
    launch(prefix, "C:\\windows\\system32\\hostname.exe")
    trivial = time.time() - t0
    t0 = time.time()
    launch(prefix, '"%s" -s -dC:\\Bench\\Tandrel' % wine_path(os.path.join(pkg, "setup.exe")))
    install = time.time() - t0
    files = len(os.listdir(prefix.unix("C:\\Bench\\Tandrel")))
    print("BENCH silent install of %d files: %.0f ms; 20 x 100 ms + a trivial program (%.0f ms) = %.0f ms; above: %.0f ms"
          % (files, install * 1000, trivial * 1000, 2000 + trivial * 1000, (install - 2.0 - trivial) * 1000))
    wait_for(lambda: agent_pid(prefix) and "0x00220000" in driver_log(prefix), 20, "the agent")
    pid = unix_pid_of_agent(prefix)
    check(pid != 0, "found the agent's process")
    time.sleep(1)
    a = cpu_and_switches(pid)
    time.sleep(10)
    b = cpu_and_switches(pid)
    print("BENCH agent idle over 10 s: %d CPU ticks, %d voluntary context switches over its %d threads"
          % (b[0] - a[0], b[1] - a[1], b[2]))
    code, out = ui(prefix, "latency", POWER_RELEASE, "20", timeout=300)
    check(code == 0, "20 Power-key releases each gave the question")
    print("BENCH key latency, inject control code to question box existing, 20 presses:", out)
    with_agent = uninstall_time(prefix)
    launch(prefix, '"%s" -s -dC:\\Bench\\Tandrel' % wine_path(os.path.join(pkg, "setup.exe")))
    wait_for(lambda: agent_pid(prefix), 20, "the agent")
    ui(prefix, "send", "ZNVACPI10", "2", "0", "0")          # WM_DESTROY: no agent for the second run
    ui(prefix, "nowindow", "ZNVACPI10", "5")
    without = uninstall_time(prefix)
    # Both runs include the same UI-driver start; the difference is the agent's closing.
    print("BENCH uninstall with the agent running %.0f ms, without %.0f ms: difference %.0f ms"
          % (with_agent * 1000, without * 1000, (with_agent - without) * 1000))


def demo(dist, prefix, report=True):
    pkg = test_package(dist)
    for exe in ("setup.exe", "vorel12a.exe", "vorel12u.exe"):
        prefix.set_version(exe, "nt40")
    print("== silent install: setup -s -dC:\\Apps\\Tandrel, on NT 4, with the driver double as the vendor's driver")
    silent_install(pkg, prefix, "C:\\Apps\\Tandrel\\", "nt40")
    print("== the footprint, as a user would check it")
    check_footprint(prefix, "C:\\Apps\\Tandrel\\", nt=True)
    print("== the agent, started by setup")
    wait_for(lambda: agent_pid(prefix) and "0x00220000" in driver_log(prefix), 20, "the agent")
    print("ok: the agent runs; the driver double logged its register request")
    print("== a Power-key release through the driver double")
    ui(prefix, "inject", POWER_RELEASE)
    ui(prefix, "window", "#32770", "10", "Tandrel")
    time.sleep(0.5)
    shot = screenshot("demo-power-question")
    code, out = ui(prefix, "box", "Tandrel", "Do you want to power off your computer?", "IDNO", "10")
    check(code == 0, "the question (%s), answered No; screenshot %s" % (out, shot))
    print("== uninstall, with the agent running")
    uninstall_time(prefix)
    print("== the footprint is gone")
    check(ui(prefix, "window", "ZNVACPI10", "1")[0] != 0, "the agent has ended")
    check(not os.path.exists(prefix.unix("C:\\Apps\\Tandrel")), "C:\\Apps\\Tandrel is gone")
    check(not os.path.exists(prefix.unix(MENU)), "the Start-menu folder is gone")
    check(reg_value(prefix, RUN_KEY, "VOREL12") is None, "the Run value is gone")
    check(reg_value(prefix, UNINSTALL_KEY, "DisplayName") is None, "the Uninstall entry is gone")
    _, out = prefix.run(["uninstaller", "--list"], check_exit=False)
    check("Tandrel" not in out, "the software list no longer shows Tandrel")


def main():
    if len(sys.argv) != 5 or (sys.argv[2] not in SCENARIOS and sys.argv[2] not in ("demo", "bench")):
        sys.exit(__doc__ + "\nscenarios: " + ", ".join(sorted(SCENARIOS)))
    dist, name = sys.argv[1], sys.argv[2]
    global UIDRIVER, DOUBLE
    UIDRIVER = wine_path(sys.argv[3])
    DOUBLE = sys.argv[4]
    prefix = Prefix(name)
    try:
        {"demo": demo, "bench": bench}.get(name, SCENARIOS.get(name))(dist, prefix)
    finally:
        prefix.close()
        shutil.rmtree(os.path.join(os.path.dirname(os.environ["WINEPREFIX"]), "e2e-package"), ignore_errors=True)


if __name__ == "__main__":
    main()
