"""The 9x family through its VxD: 32-bit Wine's VxD emulation with the loader
and keyboard VxD doubles. Registered for the e2e32 tier only."""
import os
import time

from harness import *

DEST = "C:\\Program Files\\Tandrel Keys\\"
VXD_WINDOW = "ZNVACPI10"


def requests(prefix, module):
    """The codes (and bytes) one double received, in order."""
    return [line.split(" ", 1)[1] for line in vxd_log(prefix) if line.startswith(module + " ")]


def codes(prefix, module):
    return [r.split()[0] for r in requests(prefix, module)]


def hex_bytes(text):
    return " ".join("%02x" % b for b in text.encode("latin-1"))


def wininit_path(prefix):
    """WININIT.INI of the Windows folder, whatever the case of its name."""
    folder = prefix.unix("C:\\windows")
    name = next((n for n in os.listdir(folder) if n.lower() == "wininit.ini"), "wininit.ini")
    return os.path.join(folder, name)


def wininit(prefix):
    path = wininit_path(prefix)
    return open(path, "rb").read().decode("latin-1") if os.path.exists(path) else ""


def install_on_win98(dist, prefix, env=None):
    install_vxd_doubles(prefix)
    pkg = test_package(dist, vxd=True)
    silent_install(pkg, prefix, DEST, "win98", env=env)
    check(not os.path.exists(prefix.unix("C:\\windows\\system32\\drivers\\vorel12s.sys")), "no NT driver file on 9x")
    check(reg_value(prefix, SERVICE_KEY, "Type") is None, "no service on 9x")
    wait_for(lambda: "100" in codes(prefix, "vorel12"), 20, "the agent's register request 100")


def press(prefix, event, logged):
    """Has the VxD double post a key to the registered window."""
    check(ui(prefix, "setevent", event)[0] == 0, "the VxD double has a key event " + event)
    wait_for(lambda: logged in requests(prefix, "vorel12"), 5, "the VxD double's post " + logged)


def window_bytes(prefix):
    code, out = ui(prefix, "hwnd", VXD_WINDOW)
    check(code == 0, "the agent's main window exists")
    v = int(out, 0)
    return " ".join("%02x" % ((v >> s) & 0xFF) for s in (0, 8, 16, 24))


@scenario
def win98_agent_loads_the_vxd_and_acts_on_its_keys(dist, prefix):
    install_on_win98(dist, prefix)
    code, short = ui(prefix, "short", DEST + "vorel12v.vxd")
    check(code == 0 and "~" in short, "the VxD beside the agent has a short path: " + short)
    check(requests(prefix, "vxdldr")[0] == "1 " + hex_bytes(short + "\0"),
          "load request 1 with the short path of the VxD beside the agent: " + short)
    check(requests(prefix, "vorel12")[0] == "100 " + window_bytes(prefix),
          "register request 100 with the 4-byte main window handle")
    press(prefix, "E2E_VXD_POWER", "1124 64 00 00 00")
    code, out = ui(prefix, "box", "Tandrel", POWER_QUESTION, "IDNO", "10")
    check(code == 0, "a Power key posted by the VxD asks the question; answered No (%s)" % out)
    time.sleep(0.5)
    check("107" not in codes(prefix, "vorel12"), "No sends no notice")
    press(prefix, "E2E_VXD_SLEEP", "1124 65 00 00 00")
    check(ui(prefix, "box", "Tandrel", POWER_QUESTION, "IDNO", "2")[0] == 3, "Sleep asks no question")
    # Requests without input are logged as their code alone.
    before = len(requests(prefix, "vorel12"))
    ui(prefix, "send", VXD_WINDOW, "0x218", "4", "0")
    check(requests(prefix, "vorel12")[before:] == ["107"], "a suspend broadcast sends 107")
    ui(prefix, "send", VXD_WINDOW, "0x218", "7", "0")
    t0 = time.time()
    wait_for(lambda: "108" in requests(prefix, "vorel12"), 8, "request 108")
    took = time.time() - t0
    check(3.5 <= took <= 6.0, "a resume sends 108 %.1f s later" % took)
    ui(prefix, "send", VXD_WINDOW, "273", "1126", "0")
    check(requests(prefix, "vorel12")[-1] == "104", "command 1126 sends request 104")
    # Setup again over the running agent, with the help page open elsewhere:
    # the agent ends (106 and the unload) and a new one registers; the page
    # waits in WININIT.INI for the restart.
    first = agent_pid(prefix)
    v2 = next_version(dist, vxd=True)
    held = hold(prefix, DEST + "vorel12.htm")
    silent_install(v2, prefix, DEST, expect=RESTART_NEEDED)
    wait_for(lambda: agent_pid(prefix) not in (0, first), 20, "a new agent")
    sent = codes(prefix, "vorel12")
    last = len(sent) - 1 - sent[::-1].index("100")
    check(sent.count("100") == 2 and "106" in sent[:last], "the old agent stopped, then the new one registered: %s" % sent)
    check(ui(prefix, "window", "#32770", "2", "Tandrel")[0] != 0, "no About box came up")
    check(same_file(prefix, DEST + "vorel12a.exe", os.path.join(v2, "Files", "vorel12a.exe")), "the new agent is in place")
    text = wininit(prefix)
    print("WININIT.INI:", text.replace("\r\n", " | "))
    check("[rename]" in text.lower() and text.count("=") == 1, "the page waits in [rename]")
    # Another program's line waits after it. Setup again, with the page free,
    # copies it at once: its line goes with the .new it named, since the next
    # file can take that short name; the other program's line stays.
    open(prefix.unix("C:\\other.tmp"), "wb").close()
    with open(wininit_path(prefix), "ab") as f:
        f.write(b"NUL=C:\\OTHER.TMP\r\n")
    held.kill()
    held.wait()
    silent_install(v2, prefix, DEST, expect=INSTALLED)
    text = wininit(prefix)
    print("WININIT.INI:", text.replace("\r\n", " | "))
    check(text.count("=") == 1 and "NUL=C:\\OTHER.TMP" in text, "only the other program's line is left")
    restart(prefix)
    check(not os.path.exists(prefix.unix("C:\\other.tmp")), "the restart carried out the other program's line")
    check(same_file(prefix, DEST + "vorel12.htm", os.path.join(v2, "Files", "vorel12.htm")),
          "after the restart the new help page is in place")


@scenario
def win98_agent_uses_an_already_loaded_vxd(dist, prefix):
    install_on_win98(dist, prefix, env={"E2E_VXD_PRELOADED": "1"})
    check(requests(prefix, "vxdldr") == [], "the loader is not asked")
    check(codes(prefix, "vorel12") == ["100"], "the device registers the window directly")


@scenario
def win98_agent_folder_too_long_for_the_vxd_path(dist, prefix):
    install_vxd_doubles(prefix)
    prefix.set_version("win98", "vorel12a.exe")
    # The VxD path beside the agent is 180 characters: one more than its buffer holds.
    folder = "C:\\" + "\\".join(["LongFolderName%02d" % i for i in range(9)]) + "\\" + "x" * 11
    assert len(folder + "\\vorel12v.vxd") == 180
    os.makedirs(prefix.unix(folder))
    for name, src in (("vorel12a.exe", os.path.join(dist, "Files", "vorel12a.exe")), ("vorel12v.vxd", vxd_double())):
        with open(src, "rb") as f:
            open(prefix.unix(folder + "\\" + name), "wb").write(f.read())
    agent = launch(prefix, folder + "\\vorel12a.exe", wait=False)
    code, out = ui(prefix, "box", "Zolvar", "Can not find xx.vxd file.", "IDOK", "20")
    check(code == 0, "string 4 (%s)" % out)
    check(agent.wait(timeout=20) == 0, "the agent ends with exit code 0")
    check("1" not in codes(prefix, "vxdldr"), "no load request")


@scenario
def win98_removal_waits_for_an_agent_whose_unload_is_refused(dist, prefix):
    install_on_win98(dist, prefix, env={"E2E_VXDLDR_REFUSE": "1"})
    un = launch(prefix, UNINSTALLER, wait=False)
    check(ui(prefix, "box", "Tandrel", UNINSTALL_QUESTION, "IDYES", "20")[0] == 0, "the uninstaller asks once")
    check(ui(prefix, "window", "#32770", "20", "Ossivane")[0] == 0, "the refused unload shows an Ossivane box")
    check(requests(prefix, "vorel12")[-1] == "106", "the agent sent 106")
    check(requests(prefix, "vxdldr")[-1] == "2 ff ff ff ff " + hex_bytes("VOREL12\0"),
          "then the 12-byte unload request")
    # Longer than the 5 s + 5 s after which the uninstaller used to go on.
    time.sleep(11)
    check(os.path.isfile(prefix.unix(DEST + "vorel12a.exe")), "nothing of the destination is deleted meanwhile")
    code, out = ui(prefix, "box", "Ossivane", "*", "IDOK", "5")
    check(code == 0 and "denied" in out.lower(), "the system's text under Ossivane: " + out)
    code, out = ui(prefix, "box", "Tandrel", REMOVED, "IDOK", "60")
    check(code == 0, "the uninstaller ends with string 2 (%s)" % out)
    check(un.wait(timeout=30) == 0, "the uninstaller exited 0")
    check(not os.path.exists(prefix.unix(DEST.rstrip("\\"))), "the destination folder is gone")


@scenario
def win98_power_off_answered_yes_ends_the_session(dist, prefix):
    install_on_win98(dist, prefix)
    press(prefix, "E2E_VXD_POWER", "1124 64 00 00 00")
    code, out = ui(prefix, "box", "Tandrel", POWER_QUESTION, "IDYES", "10")
    check(code == 0, "the question, answered Yes (%s)" % out)
    wait_for(lambda: not wine_processes(prefix), 20, "the Wine session to end")
    print("ok: every Wine process of the prefix is gone")
    # The order against the shutdown itself is pinned in the wine tier.
    check(requests(prefix, "vorel12")[-1] == "107", "107 was the last request, and the session ended")


@scenario
def win98_silent_removal_leaves_a_refusing_agent_to_the_restart(dist, prefix):
    install_on_win98(dist, prefix, env={"E2E_VXDLDR_REFUSE": "1"})
    t0 = time.time()
    un = launch(prefix, '"%s" -s' % UNINSTALLER, wait=False)
    check(ui(prefix, "window", "#32770", "20", "Ossivane")[0] == 0, "the refused unload shows an Ossivane box")
    code = un.wait(timeout=60)
    took = time.time() - t0
    check(code == RESTART_NEEDED and took < 10 + 8, "vorel12u -s exited %d after %.1f s, the box still open" % (code, took))
    text = wininit(prefix).lower()
    print("WININIT.INI:", text.replace("\r\n", " | "))
    short = [ui(prefix, "short", DEST + n)[1].lower() for n in ("vorel12a.exe", "vorel12v.vxd")]
    check(all("nul=" + n in text for n in short) and text.count("nul=") == 3,
          "the agent and its VxD are left to the restart, with the marker that holds setup back")
    check(reg_value(prefix, RUN_KEY, "VOREL12") is None and reg_value(prefix, UNINSTALL_KEY, "DisplayName") is None,
          "the Run value and the Uninstall entry are gone")
    restart(prefix)
    check(not os.path.exists(prefix.unix("C:\\windows\\system32\\vorel12u.pending")), "the restart deleted the marker")
    left = os.listdir(prefix.unix(DEST.rstrip("\\")))
    check(left == [], "after the restart no file of the package is left (%s); WININIT.INI deletes no folder" % left)
