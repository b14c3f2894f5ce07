"""./run demo, ./run bench and the gallery: the package shown to a person and timed."""
import json
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import e2e  # noqa: E402
import harness  # noqa: E402
from harness import *  # noqa: E402,F403


def demo(dist, prefix):
    print("== silent install: setup -s -dC:\\Apps\\Tandrel, on NT 4, with the driver double as the vendor's driver;")
    print("   setup starts the agent")
    start_agent_from_setup(dist, prefix, "nt40")
    print("== the footprint, as a user would check it")
    check_footprint(prefix, "C:\\Apps\\Tandrel\\", nt=True)
    print("== a Power-key release through the driver double")
    ui(prefix, "inject", POWER_RELEASE)
    code, out = ui(prefix, "box", "Tandrel", POWER_QUESTION, "IDNO", "10")
    check(code == 0, "the question (%s), answered No" % out)
    print("== uninstall, with the agent running")
    uninstall(prefix, REMOVED_RESTART)
    print("== the footprint is gone")
    check(ui(prefix, "window", "ZNVACPI10", "1")[0] != 0, "the agent has ended")
    check_footprint_gone(prefix, "C:\\Apps\\Tandrel\\")
    _, out = prefix.run(["uninstaller", "--list"], check_exit=False)
    check("Tandrel" not in out, "the software list no longer shows Tandrel")
    print("== every window the package shows a user")
    gallery(dist)


SHOTS = []
FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"


def shoot(prefix, cls, title, label):
    """Waits for the window, then keeps a picture of just that window, labelled with its caption."""
    check(ui(prefix, "window", cls, "20", title)[0] == 0, "window \"%s\" is shown" % label)
    time.sleep(0.5)
    code, rect = ui(prefix, "rect", cls, title)
    check(code == 0, "its rectangle: " + rect)
    x, y, w, h = (int(v) for v in rect.split())
    whole = screenshot("gallery-%02d" % len(SHOTS))
    part = whole[:-4] + "-window.png"
    # The window, cropped, with its label underneath.
    subprocess.run(["/usr/bin/convert", whole, "-crop", "%dx%d+%d+%d" % (w, h, max(x, 0), max(y, 0)), "+repage",
                    "-background", "#d0d0d0", "-font", FONT, "-pointsize", "14", "label:" + label,
                    "-gravity", "center", "-append", part], check=True)
    SHOTS.append(part)


def gallery(dist):
    """Every window of the package in its own fresh prefix, then one contact sheet."""
    steps = [gallery_setup_windows, gallery_setup_boxes, gallery_agent_windows, gallery_agent_failures,
             gallery_removal_windows, gallery_removal_kept]
    for step in steps:
        prefix = Prefix("gallery")
        try:
            step(dist, prefix)
        finally:
            prefix.close()
    # Beside the build folders, not in a tier's screenshots, which a test run deletes.
    sheet = os.path.join(os.path.dirname(work_dir()), "gallery", "gallery.png")
    os.makedirs(os.path.dirname(sheet), exist_ok=True)
    subprocess.run(["/usr/bin/montage"] + SHOTS + ["-tile", "3x", "-geometry", "+12+12", "-background", "#d0d0d0", sheet],
                   check=True)
    print("gallery:", sheet)


def gallery_setup_windows(dist, prefix):
    prefix.set_version("win2k")
    launch(prefix, '"%s"' % wine_path(os.path.join(dist, "setup.exe")), wait=False)
    shoot(prefix, "#32770", SETUP_TITLE, "setup dialog 101: " + SETUP_TITLE)
    ui(prefix, "click", SETUP_TITLE, "1011")
    shoot(prefix, "#32770", "", "chooser 105, as it opens: (no caption)")
    # Both stay open: closing the prefix ends them.


def dialog_install(prefix, setup, folder):
    """Opens the setup dialog, types the folder and presses OK."""
    run = launch(prefix, setup, wait=False)
    check(ui(prefix, "window", "#32770", "20", SETUP_TITLE)[0] == 0, "the setup dialog opens")
    ui(prefix, "settext", SETUP_TITLE, "1010", folder)
    ui(prefix, "click", SETUP_TITLE, "1001")
    return run


def gallery_setup_boxes(dist, prefix):
    """Setup's boxes: refused folders, a failed step, the restart question, and a removal that waits for
    the restart."""
    prefix.set_version("win2k")
    setup = '"%s"' % wine_path(os.path.join(test_package(dist), "setup.exe"))
    run = launch(prefix, setup, wait=False)
    check(ui(prefix, "window", "#32770", "20", SETUP_TITLE)[0] == 0, "the setup dialog opens")
    for folder, label in (("C:\\", "string 7, a folder setup refuses"),
                          ("\\\\server\\share\\Tandrel", "string 13, a network folder")):
        ui(prefix, "settext", SETUP_TITLE, "1010", folder)
        ui(prefix, "click", SETUP_TITLE, "1001")
        shoot(prefix, "#32770", "Choose Directory", "setup %s: Choose Directory" % label)
        check(ui(prefix, "box", "Choose Directory", "*", "IDOK", "10")[0] == 0, "answered OK")
    ui(prefix, "click", SETUP_TITLE, "1015")
    run.wait(timeout=30)
    # A folder where the help page goes: the copy fails half way.
    os.makedirs(prefix.unix("C:\\Tandrel\\vorel12.htm"))
    run = dialog_install(prefix, setup, "C:\\Tandrel")
    shoot(prefix, "#32770", "Tandrel Setup", "setup string 11, a step failed: Tandrel Setup")
    check(ui(prefix, "box", "Tandrel Setup", "*", "IDOK", "20")[0] == 0, "answered OK")
    check(run.wait(timeout=30) == STEP_FAILED, "setup exited %d" % STEP_FAILED)
    os.rmdir(prefix.unix("C:\\Tandrel\\vorel12.htm"))
    run = dialog_install(prefix, setup, "C:\\Tandrel")
    shoot(prefix, "#32770", "Tandrel Setup", "setup string 10, the restart question: Tandrel Setup")
    check(ui(prefix, "box", "Tandrel Setup", "*", "IDNO", "20")[0] == 0, "answered No")
    run.wait(timeout=30)
    # What a removal that left files to the restart leaves in the system folder.
    open(prefix.unix("C:\\windows\\system32\\vorel12u.pending"), "w").close()
    run = dialog_install(prefix, setup, "C:\\Tandrel")
    shoot(prefix, "#32770", "Tandrel Setup", "setup string 12, a removal waits: Tandrel Setup")
    check(ui(prefix, "box", "Tandrel Setup", "*", "IDOK", "20")[0] == 0, "answered OK")
    check(run.wait(timeout=30) == RESTART_FIRST, "setup exited %d" % RESTART_FIRST)


def gallery_agent_windows(dist, prefix):
    start_agent_from_setup(dist, prefix, "nt40")
    ui(prefix, "inject", POWER_RELEASE)
    shoot(prefix, "#32770", "Tandrel", "power question: Tandrel")
    check(ui(prefix, "box", "Tandrel", POWER_QUESTION, "IDNO", "10")[0] == 0, "answered No")
    ui(prefix, "nowindow", "#32770", "5")
    check(launch(prefix, "C:\\Apps\\Tandrel\\vorel12a.exe", timeout=30)[0] == 0, "a second agent start")
    shoot(prefix, "#32770", "Tandrel", "About box 113: Tandrel")
    ui(prefix, "postw", "#32770", "Tandrel", "273", "1023", "0")


def gallery_agent_failures(dist, prefix):
    # String 3: the service starts, but its device cannot be opened. On
    # version 5 setup starts no agent, so the first start is the one below.
    silent_install(test_package(dist), prefix, "C:\\Apps\\Tandrel\\", "win2k")
    prefix.run(["reg", "add", SERVICE_KEY, "/v", "E2eNoDevice", "/t", "REG_DWORD", "/d", "1", "/f"])
    agent = os.path.join(dist, "Files", "vorel12a.exe")
    for version, label in (("nt40", "string 3"), ("win98", "string 4")):
        prefix.set_version(version, "vorel12a.exe")
        run = launch(prefix, wine_path(agent), wait=False)
        shoot(prefix, "#32770", "Zolvar", "agent %s on %s: Zolvar" % (label, version))
        ui(prefix, "postw", "#32770", "Zolvar", "273", "1", "0")
        run.wait(timeout=20)


def gallery_removal_windows(dist, prefix):
    for version, final, label in (("win2k", REMOVED_RESTART, "NT"), ("win98", REMOVED, "9x")):
        silent_install(test_package(dist), prefix, "C:\\Apps\\Tandrel\\", version)
        if version == "win98":
            ui(prefix, "box", "Zolvar", "Can not find xx.vxd file.", "IDOK", "20")
        un = launch(prefix, UNINSTALLER, wait=False)
        if version == "win2k":
            shoot(prefix, "#32770", "Tandrel", "uninstaller question: Tandrel")
        ui(prefix, "box", "Tandrel", UNINSTALL_QUESTION, "IDYES", "20")
        time.sleep(1)
        shoot(prefix, "#32770", "Tandrel", "uninstaller final message, %s family: Tandrel" % label)
        ui(prefix, "box", "Tandrel", final, "IDOK", "30")
        un.wait(timeout=30)


def gallery_removal_kept(dist, prefix):
    """String 4 of the uninstaller: a file in use that cannot be left to the restart either (on the 9x
    family a WININIT.INI that cannot be written)."""
    silent_install(test_package(dist), prefix, "C:\\Apps\\Tandrel\\", "win98")
    ui(prefix, "box", "Zolvar", "Can not find xx.vxd file.", "IDOK", "20")
    held = hold(prefix, "C:\\Apps\\Tandrel\\vorel12.htm")
    os.makedirs(prefix.unix("C:\\windows\\WININIT.INI"))
    un = launch(prefix, UNINSTALLER, wait=False)
    ui(prefix, "box", "Tandrel", UNINSTALL_QUESTION, "IDYES", "20")
    shoot(prefix, "#32770", "Tandrel", "uninstaller string 4, a file stays: Tandrel")
    ui(prefix, "box", "Tandrel", "*", "IDOK", "30")
    check(un.wait(timeout=30) == STEP_FAILED, "the uninstaller exited %d" % STEP_FAILED)
    held.kill()


def unix_pid_of_agent(prefix):
    """The Linux process that runs this prefix's agent."""
    return next((pid for pid, cmd in wine_processes(prefix) if "vorel12a.exe" in cmd), 0)


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


def bench(dist, prefix):
    """Every figure, also written to build/bench-<bits>.json for the side-by-side table."""
    figures = {}
    pkg = test_package(dist)
    for i in range(17):                      # with the agent, the page and a VxD: 20 files in Files\
        open(os.path.join(pkg, "Files", "extra%02d.bin" % i), "wb").write(b"x" * 5000)
    open(os.path.join(pkg, "Files", "vorel12v.vxd"), "wb").write(b"x" * 100)
    prefix.set_version("nt40")
    t0 = time.time()
    launch(prefix, "C:\\windows\\system32\\hostname.exe")
    trivial = time.time() - t0
    t0 = time.time()
    launch(prefix, '"%s" -s -dC:\\Bench\\Tandrel' % wine_path(os.path.join(pkg, "setup.exe")))
    install = time.time() - t0
    files = len(os.listdir(prefix.unix("C:\\Bench\\Tandrel")))
    figures["silent install of %d files, ms" % files] = install * 1000
    figures["  its floor: 20 x 100 ms + a trivial program, ms"] = 2000 + trivial * 1000
    figures["  above the floor, ms"] = (install - 2.0 - trivial) * 1000
    wait_for(lambda: agent_pid(prefix) and "0x00220000" in driver_log(prefix), 20, "the agent")
    pid = unix_pid_of_agent(prefix)
    check(pid != 0, "found the agent's process")
    time.sleep(1)
    a = cpu_and_switches(pid)
    time.sleep(10)
    b = cpu_and_switches(pid)
    figures["agent idle 10 s: CPU ticks"] = b[0] - a[0]
    figures["agent idle 10 s: voluntary context switches"] = b[1] - a[1]
    figures["agent threads"] = b[2]
    code, out = ui(prefix, "latency", POWER_RELEASE, "20", timeout=300)
    check(code == 0, "20 Power-key releases each gave the question")
    words = out.split()
    figures["key latency, 20 presses: median ms"] = int(words[1])
    figures["key latency, 20 presses: worst ms"] = int(words[4])
    t0 = time.time()
    code, _ = launch(prefix, '"%s" -s -dC:\\Bench\\Tandrel' % wine_path(os.path.join(pkg, "setup.exe")))
    figures["silent install again over the running agent, ms"] = (time.time() - t0) * 1000
    check(code == 0, "setup again over the running agent exited 0")
    wait_for(lambda: agent_pid(prefix), 20, "the agent setup started again")
    with_agent = uninstall(prefix, REMOVED_RESTART)
    # The loaded driver's file goes at the restart, and setup waits for it.
    restart(prefix)
    launch(prefix, '"%s" -s -dC:\\Bench\\Tandrel' % wine_path(os.path.join(pkg, "setup.exe")))
    wait_for(lambda: agent_pid(prefix), 20, "the agent")
    ui(prefix, "send", "ZNVACPI10", "2", "0", "0")          # WM_DESTROY: no agent for the second run
    ui(prefix, "nowindow", "ZNVACPI10", "5")
    without = uninstall(prefix, REMOVED_RESTART)
    restart(prefix)
    launch(prefix, '"%s" -s -dC:\\Bench\\Tandrel' % wine_path(os.path.join(pkg, "setup.exe")))
    wait_for(lambda: agent_pid(prefix), 20, "the agent")
    ui(prefix, "send", "ZNVACPI10", "2", "0", "0")
    ui(prefix, "nowindow", "ZNVACPI10", "5")
    held = hold(prefix, "C:\\Bench\\Tandrel\\vorel12.htm")
    in_use = uninstall(prefix, REMOVED_RESTART)
    held.kill()
    # The first install again, now with its log.
    restart(prefix)
    t0 = time.time()
    code, _ = launch(prefix, '"%s" -s -dC:\\Bench\\Tandrel -lC:\\Bench\\setup.log'
                     % wine_path(os.path.join(pkg, "setup.exe")))
    figures["silent install of %d files with -l, ms" % files] = (time.time() - t0) * 1000
    check(code == 0, "setup -s -l exited 0")
    # The first install on win10, where the desktop shell starts the agent.
    wait_for(lambda: agent_pid(prefix), 20, "the agent")
    uninstall(prefix, REMOVED_RESTART)
    restart(prefix)
    prefix.set_version("win10")
    t0 = time.time()
    code, _ = launch(prefix, '"%s" -s -dC:\\Bench\\Tandrel' % wine_path(os.path.join(pkg, "setup.exe")))
    figures["silent install of %d files on win10, ms" % files] = (time.time() - t0) * 1000
    check(code == 0, "setup -s on win10 exited 0")
    wait_for(lambda: agent_pid(prefix), 20, "the agent on win10")
    figures["uninstall with the agent running, ms"] = with_agent * 1000
    figures["uninstall without the agent, ms"] = without * 1000
    figures["uninstall without the agent, a file in use, ms"] = in_use * 1000
    for k, v in figures.items():
        print("BENCH %s: %.0f" % (k, v))
    out = os.path.join(os.path.dirname(work_dir()), "bench-%d.json" % harness.BITS)
    json.dump(figures, open(out, "w"))


def bench_table(build):
    """PE32 beside x86_64, from the figures the two bench runs wrote."""
    runs = {}
    for bits in (32, 64):
        path = os.path.join(build, "bench-%d.json" % bits)
        runs[bits] = json.load(open(path)) if os.path.exists(path) else {}
    keys = list(runs[64]) or list(runs[32])
    print("%-52s %12s %12s" % ("figure", "PE32", "x86_64"))
    for k in keys:
        cells = ["%12.0f" % runs[b][k] if k in runs[b] else "%12s" % "not run" for b in (32, 64)]
        print("%-52s %s %s" % (k, cells[0], cells[1]))


if __name__ == "__main__":
    e2e.main({"demo": demo, "bench": bench, "gallery": lambda dist, prefix: gallery(dist)})
