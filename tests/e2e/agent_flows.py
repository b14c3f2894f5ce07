"""The key agent as setup starts it, with the driver double as the vendor's driver."""
import os
import shutil
import time

import harness
from harness import *


@scenario
def agent_with_driver_double_then_uninstall_nt40(dist, prefix):
    agent_with_driver_double_then_uninstall(dist, prefix, "nt40")


@scenario
def agent_with_driver_double_then_uninstall_win10(dist, prefix):
    agent_with_driver_double_then_uninstall(dist, prefix, "win10")


def agent_with_driver_double_then_uninstall(dist, prefix, version):
    start_agent_from_setup(dist, prefix, version)
    # From NT 6 on the desktop shell starts it, with the logged-on user's
    # token rather than setup's elevated one.
    _, parent = ui(prefix, "parent", "ZNVACPI10")
    check((parent.lower() == "explorer.exe") == (version == "win10"),
          "the agent that setup started is a child of %s" % parent)
    ui(prefix, "inject", POWER_PRESS)
    code, out = ui(prefix, "box", "Tandrel", POWER_QUESTION, "IDNO", "2")
    check(code == 3, "a Power-key press asks nothing")
    ui(prefix, "inject", POWER_RELEASE)
    time.sleep(0.5)
    screenshot("power-question")
    code, out = ui(prefix, "box", "Tandrel", POWER_QUESTION, "IDNO", "10")
    check(code == 0, "a Power-key release asks the question; answered No (%s)" % out)
    time.sleep(0.5)
    check("0x00220008" not in driver_log(prefix), "No sends no power-down notice")
    ui(prefix, "inject", SLEEP_RELEASE)
    code, out = ui(prefix, "box", "Tandrel", POWER_QUESTION, "IDNO", "2")
    check(code == 3, "a Sleep-key release asks no question")
    for cmd, want in (("1128", None), ("1130", "1"), ("1128", None), ("1130", "1"), ("1129", None), ("1130", "0")):
        code, out = ui(prefix, "send", "ZNVACPI10", "273", cmd, "0")
        check(code == 0 and (want is None or out == want), "command %s from another process -> %s" % (cmd, out))
    before = driver_log(prefix)
    ui(prefix, "send", "ZNVACPI10", "273", "1126", "0")
    check(driver_log(prefix) == before, "command 1126 sends nothing on the NT family")
    ui(prefix, "send", "ZNVACPI10", "0x218", "4", "0")
    check("0x00220008" in driver_log(prefix), "a suspend broadcast sends the power-down notice")
    ui(prefix, "send", "ZNVACPI10", "0x218", "7", "0")
    t0 = time.time()
    wait_for(lambda: "0x0022000c" in driver_log(prefix), 8, "the resume notice")
    took = time.time() - t0
    check(3.5 <= took <= 6.0, "the resume notice came %.1f s after the resume" % took)
    launch(prefix, "C:\\Apps\\Tandrel\\vorel12a.exe", timeout=30)
    code, _ = ui(prefix, "window", "#32770", "10", "Tandrel")
    check(code == 0, "a second agent start shows the About box of the running one")
    time.sleep(0.3)
    screenshot("about-box")
    ui(prefix, "postw", "#32770", "Tandrel", "273", "1023", "0")
    code, _ = ui(prefix, "nowindow", "#32770", "5")
    check(code == 0, "OK ends the About box")
    # The uninstaller closes the running agent before it deletes files.
    uninstall(prefix, REMOVED_RESTART)
    code, _ = ui(prefix, "nowindow", "ZNVACPI10", "1")
    check(code == 0, "the agent has ended")
    check("0x00220004" in driver_log(prefix), "the agent's stop request reached the driver (the service is left running)")
    check_footprint_gone(prefix, "C:\\Apps\\Tandrel\\")
    check(os.path.isfile(prefix.unix(UNINSTALLER)), "the uninstaller's own file stays")
    # The driver was loaded: the service is marked for deletion, not stopped.
    _, out = prefix.run(["sc", "query", "VOREL12"], check_exit=False)
    print("sc query VOREL12 after the removal:", " ".join(out.split())[:200])
    check(reg_value(prefix, SERVICE_KEY, "Type") is None or "RUNNING" in out,
          "the service entry is gone, or left only while its driver is still loaded")


@scenario
def power_off_answered_yes_ends_the_session_nt40(dist, prefix):
    start_agent_from_setup(dist, prefix, "nt40")
    ui(prefix, "inject", POWER_RELEASE)
    code, out = ui(prefix, "box", "Tandrel", POWER_QUESTION, "IDYES", "10")
    check(code == 0, "a Power-key release asks the question; answered Yes (%s)" % out)
    t0 = time.time()
    wait_for(lambda: not wine_processes(prefix), 20, "the Wine session to end")
    print("ok: every Wine process of the prefix is gone %.1f s after Yes" % (time.time() - t0))
    log = driver_log(prefix)
    print("driver double's log:", " ".join(log))
    # That it follows Windows' acceptance is pinned in the wine tier.
    check(log[-1:] == ["0x00220008"], "the power-down notice reached the driver, and the session ended")


@scenario
def agent_on_win98_reports_the_missing_vxd(dist, prefix):
    # The agent alone in its folder: no vorel12v.vxd beside it, whatever dist holds.
    os.makedirs(prefix.unix("C:\\Lone"))
    shutil.copy(os.path.join(dist, "Files", "vorel12a.exe"), prefix.unix("C:\\Lone\\vorel12a.exe"))
    if harness.BITS == 32:
        install_vxd_doubles(prefix)
    prefix.set_version("win98", "vorel12a.exe")
    agent = launch(prefix, "C:\\Lone\\vorel12a.exe", wait=False)
    code, out = ui(prefix, "box", "Zolvar", "Can not find xx.vxd file.", "IDOK", "20")
    check(code == 0, "the agent shows string 4 in a Zolvar box (%s)" % out)
    check(agent.wait(timeout=20) == 0, "and ends with exit code 0")
    if harness.BITS == 32:
        # Only 32-bit Wine has the VxD interface that the loader double answers on.
        loader = [line.split()[1] for line in vxd_log(prefix) if line.startswith("vxdldr ")]
        check(loader == ["2"], "no load request, and the unload is still requested")
