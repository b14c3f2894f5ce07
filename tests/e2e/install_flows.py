"""Installation as a user runs it: silent and through the dialog."""
import os
import shutil
import subprocess
import time

import harness
from harness import *


@scenario
def silent_install_into_blank_free_path(dist, prefix):
    silent_install(test_package(dist), prefix, "C:\\Apps\\Tandrel\\", "win2k")
    check_footprint(prefix, "C:\\Apps\\Tandrel\\", nt=True)


@scenario
def silent_install_into_path_with_blank(dist, prefix):
    dest = "C:\\Program Files\\Tandrel\\"
    pkg = test_package(dist)
    silent_install(pkg, prefix, dest, "nt40")
    check_footprint(prefix, dest, nt=True)
    # What an unquoted Run value would start at every logon instead of the agent.
    shutil.copy(harness.MARKER, prefix.unix("C:\\Program.exe"))
    ui(prefix, "post", "ZNVACPI10", "2", "0", "0")        # WM_DESTROY, as the uninstaller ends it
    wait_for(lambda: not agent_pid(prefix), 10, "the agent setup started to end")
    # A logon: wineboot runs the Run values. Output detached, since the agent inherits it.
    subprocess.run([harness.WINE, "wineboot"], env=prefix.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   stderr=prefix.errors, timeout=60)
    wait_for(lambda: agent_pid(prefix), 20, "the agent that the Run value starts at logon")
    check(not os.path.exists(prefix.unix(PLANTED_RAN)), "the planted C:\\Program.exe did not run")
    # A step that fails after copying began (a folder where the help page
    # goes; the loaded driver's file is the same and needs no copy): what
    # was written stays, and the code says so.
    os.remove(prefix.unix(dest + "vorel12.htm"))
    os.mkdir(prefix.unix(dest + "vorel12.htm"))
    silent_install(pkg, prefix, dest, expect=STEP_FAILED)
    os.rmdir(prefix.unix(dest + "vorel12.htm"))
    shutil.copy(os.path.join(pkg, "Files", "vorel12.htm"), prefix.unix(dest + "vorel12.htm"))
    check_footprint(prefix, dest, nt=True)


@scenario
def dialog_install_with_chooser_on_win2k(dist, prefix):
    prefix.set_version("win2k")
    dist = test_package(dist)
    setup = launch(prefix, '"%s"' % wine_path(os.path.join(dist, "setup.exe")), wait=False)
    check(ui(prefix, "window", "#32770", "20", SETUP_TITLE)[0] == 0, "the setup dialog opens")
    ui(prefix, "click", SETUP_TITLE, "1015")
    check(setup.wait(timeout=30) == CANCELLED, "Cancel ends setup with %d, nothing installed" % CANCELLED)
    check(reg_value(prefix, RUN_KEY, "VOREL12") is None, "no Run value after Cancel")
    # A log that cannot be written: a box names it, and no dialog follows.
    setup = launch(prefix, '"%s" -lC:\\nowhere\\setup.log' % wine_path(os.path.join(dist, "setup.exe")), wait=False)
    check(ui(prefix, "window", "#32770", "20", "Setup cannot write this log file")[0] == 0, "the log's box comes up")
    time.sleep(0.5)
    screenshot("setup-log-refused")
    code, out = ui(prefix, "box", "Setup cannot write this log file", "C:\\nowhere\\setup.log", "IDOK", "20")
    check(code == 0, "it names the path (%s)" % out)
    check(setup.wait(timeout=30) == LOG_REFUSED, "setup exits %d, nothing installed" % LOG_REFUSED)
    setup = launch(prefix, '"%s"' % wine_path(os.path.join(dist, "setup.exe")), wait=False)
    check(ui(prefix, "window", "#32770", "20", SETUP_TITLE)[0] == 0, "the setup dialog opens again")
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
    check(setup.wait(timeout=30) == RESTART_NEEDED, "setup exited %d: the restart is still due" % RESTART_NEEDED)
    check_footprint(prefix, "C:\\Picked\\Tandrel\\", nt=True)
    check(ui(prefix, "window", "ZNVACPI10", "2")[0] != 0, "no agent was started")


def check_no_footprint(prefix, folder):
    check(reg_value(prefix, RUN_KEY, "VOREL12") is None, "no Run value")
    check(reg_value(prefix, UNINSTALL_KEY, "DisplayName") is None, "no Uninstall entry")
    check(reg_value(prefix, SERVICE_KEY, "Type") is None, "no service")
    check(not os.path.exists(prefix.unix(UNINSTALLER)), "no uninstaller in the system folder")
    check(not os.path.exists(prefix.unix("C:\\windows\\system32\\drivers\\vorel12s.sys")), "no driver file")
    check(not os.path.exists(prefix.unix(MENU)), "no Start-menu folder")
    check(not os.path.exists(prefix.unix(folder)), "nothing at " + folder[:40])
    check(ui(prefix, "window", "ZNVACPI10", "1")[0] != 0, "no agent")


@scenario
def silent_install_that_cannot_be_whole_installs_nothing(dist, prefix):
    prefix.set_version("nt40")
    setup = wine_path(os.path.join(test_package(dist), "setup.exe"))
    # A package 81 characters deep is too deep for its own Uninst\ and Kernel\ paths.
    deep = "C:\\" + "p" * 77
    shutil.copytree(os.path.join(work_dir(), "e2e-package"), prefix.unix(deep))
    cases = [('"%s" -s -dC:\\%s' % (setup, "x" * 177), "C:\\Tandrel", "a -d text of 180 characters"),
             ('"%s" -s -dC:\\Bad?Name' % setup, "C:\\Bad", "a character Windows forbids"),
             ('"%s" -s -dC:\\%s' % (setup, "x" * 84), "C:\\" + "x" * 84, "a folder too long for the Run value"),
             ('"%s\\setup.exe" -s -dC:\\Apps\\Tandrel' % deep, "C:\\Apps", "a source folder of 81 characters"),
             # Folders the removal would not clear: there is no agent in them afterwards.
             ('"%s" -s -dC:\\' % setup, "C:\\vorel12a.exe", "the root of a drive"),
             ('"%s" -s -dC:\\windows' % setup, "C:\\windows\\vorel12a.exe", "the Windows folder"),
             ('"%s" -s -d\\\\server\\share\\Tandrel\\' % setup, "C:\\Tandrel", "a network folder")]
    # A log that cannot be written: nothing is done either.
    cases += [('"%s" -s -dC:\\Apps\\Tandrel -lC:\\nowhere\\setup.log' % setup, "C:\\Apps", "a log in a missing folder"),
              ('"%s" -s -lC:\\windows' % setup, "C:\\Tandrel", "a log path that is a folder")]
    for cmdline, folder, what in cases:
        print("== " + what)
        code, _ = launch(prefix, cmdline)
        check(code == (LOG_REFUSED if " -l" in cmdline else REFUSED), "setup exited %d" % code)
        # Any box at all would be reported as unexpected (2); 3 is none within a second.
        check(ui(prefix, "box", "*", "*", "IDOK", "1")[0] == 3, "and showed no message")
        check_no_footprint(prefix, folder)


@scenario
def silent_install_with_a_quoted_folder(dist, prefix):
    setup = wine_path(os.path.join(test_package(dist), "setup.exe"))
    prefix.set_version("win2k")
    # A quoted token is taken whole, " - " included, as launchers pass it;
    # a lone -l takes the next token.
    os.makedirs(prefix.unix("C:\\Logs - Tandrel"))
    for args, dest in (('-s -d"C:\\My Tools"', "C:\\My Tools\\"), ('-s "-dC:\\Our Tools"', "C:\\Our Tools\\"),
                       ('-s "-dC:\\Apps - Keyboard\\Tandrel" -l "C:\\Logs - Tandrel\\setup.log"',
                        "C:\\Apps - Keyboard\\Tandrel\\")):
        code, _ = launch(prefix, '"%s" %s' % (setup, args))
        check(code == RESTART_NEEDED, "setup %s exited %d" % (args, code))
        check_footprint(prefix, dest, nt=True)
    check(not os.path.exists(prefix.unix("C:\\Apps")), "nothing is made in the folder cut at ' -'")
    log = log_lines(prefix, "C:\\Logs - Tandrel\\setup.log")
    check(log[-1].startswith("exit code 3010:"), "the log named after -l is written")


@scenario
def setup_loads_no_dll_planted_beside_it(dist, prefix):
    # Setup runs from a downloads folder where anyone may drop a DLL under a
    # system DLL's name; Wine is told to prefer such native copies, as Windows
    # does for any DLL that is not a KnownDLL. On win10 setup also asks the
    # desktop shell, through ole32 and oleaut32, to start the agent.
    pkg = test_package(dist)
    planted = os.path.join(os.path.dirname(harness.DOUBLE), "planted.dll")
    for name in ("comctl32.dll", "ole32.dll", "oleaut32.dll"):
        shutil.copy(planted, os.path.join(pkg, name))
    native = {"WINEDLLOVERRIDES": os.environ["WINEDLLOVERRIDES"] + ";comctl32,ole32,oleaut32=n,b"}
    silent_install(pkg, prefix, "C:\\Apps\\Tandrel\\", "win10", env=native)
    check_footprint(prefix, "C:\\Apps\\Tandrel\\", nt=True)
    # The dialog and its chooser: system DLLs ask for ole32 and comctl32 by
    # name there (Wine's imm32 once a window is active).
    setup = launch(prefix, '"%s"' % wine_path(os.path.join(pkg, "setup.exe")), wait=False, env=native)
    check(ui(prefix, "window", "#32770", "20", SETUP_TITLE)[0] == 0, "the setup dialog opens")
    ui(prefix, "click", SETUP_TITLE, "1011")
    check(ui(prefix, "window", "#32770", "10", "")[0] == 0, "Change... opens the chooser")
    ui(prefix, "click", "", "2")
    wait_for(lambda: ui(prefix, "window", "#32770", "1", "")[0] != 0, 10, "the chooser to close")
    ui(prefix, "click", SETUP_TITLE, "1015")
    check(setup.wait(timeout=30) == CANCELLED, "Cancel ends setup with %d" % CANCELLED)
    # The marker takes the module's name as the loader spelled it.
    ran = [f for f in os.listdir(pkg) if f.lower().endswith(".ran")]
    check(not ran, "no planted DLL ran (%s)" % ", ".join(ran))


APPS = "C:\\Apps\\Tandrel\\"
DRIVER = "C:\\windows\\system32\\drivers\\vorel12s.sys"
NEEDS_ADMIN = "Installing Tandrel needs administrator rights. Log on as an administrator and run setup again."


@scenario
def setup_again_on_a_live_machine(dist, prefix):
    # Version 1 runs: its agent, and the driver that the agent loaded.
    start_agent_from_setup(dist, prefix, None)
    first = agent_pid(prefix)
    # An upgrade whose copy fails (a new file's name is a folder there) keeps
    # the running version whole, and starts its agent again.
    v2 = next_version(dist)
    with open(os.path.join(v2, "Files", "vorel12.txt"), "w") as f:
        f.write("notes")
    taken = prefix.unix(APPS + "vorel12.txt")
    os.mkdir(taken)
    silent_install(v2, prefix, APPS, expect=STEP_FAILED, log="C:\\setup.log")
    log = log_lines(prefix, "C:\\setup.log")
    print("\n".join(log))
    check(log[0].startswith("==== setup 2.01, Windows NT") and " -lC:\\setup.log" in log[0], "the log opens the run")
    check(any(line.startswith("CopyFileA " + APPS + "vorel12.txt ") and ": error " in line for line in log),
          "it names the folder in the way, with the error")
    check(log[-1].startswith("exit code 1603:"), "and ends with the exit code")
    v1 = os.path.join(work_dir(), "e2e-package")
    for winpath, rel in ((APPS + "vorel12a.exe", "Files/vorel12a.exe"), (APPS + "vorel12.htm", "Files/vorel12.htm"),
                         (UNINSTALLER, "Uninst/vorel12u.exe")):
        check(same_file(prefix, winpath, os.path.join(v1, rel)), "the running version's %s stays" % winpath)
    check(sorted(os.listdir(prefix.unix(APPS))) == sorted(os.listdir(os.path.join(v1, "Files")) + ["vorel12.txt"]),
          "and no staged copy is left: %s" % os.listdir(prefix.unix(APPS)))
    wait_for(lambda: agent_pid(prefix) not in (0, first), 20, "the old version's agent again")
    first = agent_pid(prefix)
    # The same into another folder: the agent it closed runs again from its
    # own folder, not from the new one, where nothing was placed.
    os.makedirs(prefix.unix("C:\\New\\vorel12.txt"))
    silent_install(v2, prefix, "C:\\New\\", expect=STEP_FAILED)
    wait_for(lambda: agent_pid(prefix) not in (0, first), 20, "the installed version's agent again")
    first = agent_pid(prefix)
    agents = [c.lower().replace("/", "\\") for _, c in wine_processes(prefix) if "vorel12a" in c.lower()]
    check(len(agents) == 1 and "apps\\tandrel\\vorel12a.exe" in agents[0], "it runs from %s: %s" % (APPS, agents))
    check(os.listdir(prefix.unix("C:\\New")) == ["vorel12.txt"], "nothing is left in the other folder")
    check(reg_value(prefix, RUN_KEY, "VOREL12") == '"%svorel12a.exe"' % APPS, "and the Run value names the first one")
    os.rmdir(taken)
    v2 = next_version(dist)
    silent_install(v2, prefix, APPS, expect=INSTALLED)
    for winpath, rel in ((APPS + "vorel12a.exe", "Files/vorel12a.exe"), (APPS + "vorel12.htm", "Files/vorel12.htm"),
                         (UNINSTALLER, "Uninst/vorel12u.exe")):
        check(same_file(prefix, winpath, os.path.join(v2, rel)), "the next version's %s is in place" % winpath)
    wait_for(lambda: agent_pid(prefix) not in (0, first), 20, "a new agent")
    check(ui(prefix, "window", "#32770", "2", "Tandrel")[0] != 0, "and no About box came up")
    # A changed driver cannot replace the loaded one: it waits for the restart.
    v3 = next_version(dist, driver=True)
    silent_install(v3, prefix, APPS, expect=RESTART_NEEDED)
    driver = os.path.join(v3, "Kernel", "vorel12s.sys")
    check(not same_file(prefix, DRIVER, driver), "the loaded driver's file stays until the restart")
    restart(prefix)
    check(same_file(prefix, DRIVER, driver), "after the restart the new driver file is in place")
    check(not os.path.exists(prefix.unix(DRIVER + ".new")), "and nothing waits beside it")
    # Removed while the driver is loaded (the logon started the agent), then
    # installed again before the restart: the service goes at the restart.
    wait_for(lambda: agent_pid(prefix), 20, "the agent that the logon starts")
    silent_uninstall(prefix, nt=True)
    code, _ = launch(prefix, '"%s" -s -d%s' % (wine_path(os.path.join(v3, "setup.exe")), APPS))
    check(code == RESTART_FIRST, "setup -s refuses with %d until the restart" % code)
    setup = launch(prefix, '"%s"' % wine_path(os.path.join(v3, "setup.exe")), wait=False)
    check(ui(prefix, "window", "#32770", "20", SETUP_TITLE)[0] == 0, "the setup dialog opens")
    ui(prefix, "click", SETUP_TITLE, "1001")
    check(ui(prefix, "window", "#32770", "30", "Tandrel Setup")[0] == 0, "a box comes up")
    time.sleep(0.5)
    screenshot("setup-restart-first")
    code, out = ui(prefix, "box", "Tandrel Setup", "Restart your computer to finish removing Tandrel, then run setup "
                   "again.", "IDOK", "30")
    check(code == 0, "the dialog says that the restart comes first (%s)" % out)
    check(setup.wait(timeout=30) == RESTART_FIRST, "and setup exits %d" % RESTART_FIRST)
    check(not os.path.exists(prefix.unix(APPS.rstrip("\\"))) and reg_value(prefix, RUN_KEY, "VOREL12") is None,
          "nothing was installed")
    restart(prefix)
    silent_install(v3, prefix, APPS, expect=INSTALLED)
    check_footprint(prefix, APPS, nt=True)


@scenario
def a_read_only_package_installs_upgrades_and_installs_again(dist, prefix):
    # A package pressed on a CD: each file read-only, which CopyFileA passes
    # on to its copy. Wine refuses to write over or delete such a copy only
    # for a user who is not root, as Windows does for everyone.
    prefix.as_user()
    v2 = next_version(dist)
    v1 = os.path.join(work_dir(), "e2e-package")
    for top, _, names in list(os.walk(v1)) + list(os.walk(v2)):
        for name in names:
            os.chmod(os.path.join(top, name), 0o444)
    # A limited user, who may not write the system folder, is told so: no
    # "already running" for a lack of rights.
    system = prefix.unix("C:\\windows\\system32")
    mode = os.stat(system).st_mode
    os.chmod(system, 0o555)
    setup = wine_path(os.path.join(v1, "setup.exe"))
    code, _ = launch(prefix, '"%s" -s -d%s' % (setup, APPS))
    check(code == ACCESS_DENIED and not os.path.exists(prefix.unix(APPS)), "setup -s exits %d and changes nothing" % code)
    refused = launch(prefix, '"%s"' % setup, wait=False)
    code, out = ui(prefix, "box", "Tandrel Setup", NEEDS_ADMIN, "IDOK", "20")
    check(code == 0, "the dialog run says that administrator rights are needed (%s)" % out)
    check(refused.wait(timeout=30) == ACCESS_DENIED, "and exits %d" % ACCESS_DENIED)
    os.chmod(system, mode)
    silent_install(v1, prefix, APPS, expect=INSTALLED)
    wait_for(lambda: agent_pid(prefix), 20, "the agent")
    silent_install(v2, prefix, APPS, expect=INSTALLED)
    installed = ((APPS + "vorel12a.exe", "Files/vorel12a.exe"), (APPS + "vorel12.htm", "Files/vorel12.htm"),
                 (UNINSTALLER, "Uninst/vorel12u.exe"), (DRIVER, "Kernel/vorel12s.sys"))
    for winpath, rel in installed:
        check(same_file(prefix, winpath, os.path.join(v2, rel)), "the next version's %s is in place" % winpath)
        check(os.stat(prefix.unix(winpath)).st_mode & 0o200, "%s is not read-only" % winpath)
    # The loaded driver's file goes at the restart; the uninstaller's own stays.
    silent_uninstall(prefix, nt=True)
    restart(prefix)
    check_footprint_gone(prefix, APPS)
    silent_install(v1, prefix, APPS, expect=INSTALLED)
    check(same_file(prefix, UNINSTALLER, os.path.join(v1, "Uninst", "vorel12u.exe")), "the uninstaller is replaced")


@scenario
def two_setups_at_once_install_once(dist, prefix):
    prefix.set_version("win2k")
    setup = wine_path(os.path.join(test_package(dist), "setup.exe"))
    _, out = launch(prefix, '"%s" -s -d%s' % (setup, APPS), env={"E2E_TWICE": "1"})
    codes = sorted(int(line.split()[-1]) for line in out.splitlines() if line.startswith("copy "))
    check(codes == sorted([RESTART_NEEDED, ALREADY_RUNNING]), "one installs, the other exits %d: %s" % (ALREADY_RUNNING, codes))
    check_footprint(prefix, APPS, nt=True)
    # Version 5 starts no agent after an install, but one that setup closed runs again.
    launch(prefix, APPS + "vorel12a.exe", wait=False)
    wait_for(lambda: agent_pid(prefix), 20, "the agent")
    first = agent_pid(prefix)
    check(launch(prefix, '"%s" -s -d%s' % (setup, APPS))[0] == RESTART_NEEDED, "setup again exits 3010")
    wait_for(lambda: agent_pid(prefix) not in (0, first), 20, "the agent setup started again")
    first = launch(prefix, '"%s"' % setup, wait=False)
    check(ui(prefix, "window", "#32770", "20", SETUP_TITLE)[0] == 0, "the setup dialog opens")
    code, _ = launch(prefix, '"%s" -s -dC:\\Other' % setup)
    check(code == ALREADY_RUNNING and not os.path.exists(prefix.unix("C:\\Other")),
          "a second setup beside the dialog exits %d and installs nothing" % code)
    ui(prefix, "click", SETUP_TITLE, "1015")
    check(first.wait(timeout=30) == CANCELLED, "the first setup is still the user's to cancel")
