"""Removal: the uninstaller leaves the machine as it was before the installation."""
import os
import signal
import tempfile
import time

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
    silent_install(test_package(dist), prefix, "C:\\Apps\\Tandrel\\", "win2k")
    check(reg_value(prefix, RUN_KEY, "VOREL12") == '"C:\\Apps\\Tandrel\\vorel12a.exe"', "installed")
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


TOOLS = "C:\\Tools\\"
PACKAGE_FILES = ("vorel12a.exe", "vorel12.htm")
LINKS = ("Tandrel About.lnk", "Tandrel Help.lnk", "Uninstall Tandrel.lnk")


def write(prefix, path, attrib=None):
    os.makedirs(os.path.dirname(prefix.unix(path)), exist_ok=True)
    open(prefix.unix(path), "w").write("the user's own\n")
    if attrib:
        prefix.run(["cmd", "/c", "attrib", attrib, path])


def install_beside_the_users_files(package, prefix):
    """A 9x install into a folder that already holds the user's files."""
    write(prefix, TOOLS + "notes.txt")
    write(prefix, TOOLS + "secret.txt", "+r +h")
    silent_install(package, prefix, TOOLS, "win98")
    # setup starts the agent on 9x; without the VxD it reports it and ends.
    check(ui(prefix, "box", "Zolvar", "Can not find xx.vxd file.", "IDOK", "20")[0] == 0, "the started agent reports the VxD")
    check_footprint(prefix, TOOLS, nt=False)
    write(prefix, TOOLS + "later.txt")
    write(prefix, MENU + "\\mine.txt")


@scenario
def win98_removal_keeps_the_users_files(dist, prefix):
    install_beside_the_users_files(dist, prefix)
    check(reg_value(prefix, SERVICE_KEY, "Type") is None, "no service on 9x")
    check(not os.path.exists(prefix.unix("C:\\windows\\system32\\drivers\\vorel12s.sys")), "no driver file on 9x")
    uninstall(prefix, REMOVED)
    users = ["later.txt", "notes.txt", "secret.txt"]
    check(sorted(os.listdir(prefix.unix(TOOLS))) == users, "the user's files stay, and their folder: %s"
          % sorted(os.listdir(prefix.unix(TOOLS))))
    check(os.listdir(prefix.unix(MENU)) == ["mine.txt"], "the Start-menu folder keeps only the user's file")
    check(reg_value(prefix, UNINSTALL_KEY, "DisplayName") is None, "the Uninstall entry is gone")
    # An install made before the record: only the package's own names go.
    install_beside_the_users_files(dist, prefix)
    write(prefix, TOOLS + "extra.dat")
    prefix.run(["reg", "delete", UNINSTALL_KEY, "/v", "InstalledFiles", "/f"])
    prefix.run(["reg", "delete", UNINSTALL_KEY, "/v", "InstalledLinks", "/f"])
    silent_uninstall(prefix, nt=False)
    check(sorted(os.listdir(prefix.unix(TOOLS))) == ["extra.dat"] + users, "without a record only the package's names go")
    check(os.listdir(prefix.unix(MENU)) == ["mine.txt"], "and only its three links")
    # Links: neither a linked folder nor what it leads to is touched.
    install_beside_the_users_files(dist, prefix)
    for folder in (TOOLS, MENU + "\\"):
        away = folder.rstrip("\\") + " away"
        os.rename(prefix.unix(folder.rstrip("\\")), prefix.unix(away))
        os.symlink(prefix.unix(away), prefix.unix(folder.rstrip("\\")))
    silent_uninstall(prefix, nt=False)
    check(all(os.path.isfile(prefix.unix("C:\\Tools away\\" + f)) for f in PACKAGE_FILES),
          "nothing behind the linked destination is deleted")
    check(all(os.path.isfile(prefix.unix(MENU + " away\\" + f)) for f in LINKS), "nothing behind the linked Start-menu folder")


@scenario
def double_byte_folder_installs_and_goes_whole(dist, prefix):
    # Wine's ANSI code page is then 932, where the second byte of this
    # character (95 5C) has the backslash's code.
    prefix.env["LC_ALL"] = "ja_JP.UTF-8"
    prefix.codepage = "windows-932"
    dest = "C:\\\u8868\\"
    silent_install(test_package(dist), prefix, dest, "win2k")
    astray = [n for n in os.listdir(prefix.unix("C:\\")) if n.endswith("vorel12a.exe")]
    check(not astray, "nothing installed beside the folder: %s" % astray)
    check_footprint(prefix, dest, nt=True)
    silent_uninstall(prefix, nt=True)
    check_footprint_gone(prefix, dest)


def pending_deletions(prefix):
    """The paths, in lower case, that the restart renames or deletes."""
    value = reg_value(prefix, PENDING_KEY, "PendingFileRenameOperations") or ""
    return [e[4:].lower().rstrip("\\") if e.startswith("\\??\\") else e.lower() for e in value.split("\\0") if e]


def package_files_in(prefix, folder):
    return sorted(f for f in os.listdir(prefix.unix(folder.rstrip("\\"))) if f.startswith("vorel12"))


@scenario
def nt40_removal_on_a_live_machine(dist, prefix):
    # Installed twice, the second time into another folder; the agent runs
    # and has loaded the driver.
    pkg = test_package(dist)
    write(prefix, "C:\\A\\notes.txt")
    silent_install(pkg, prefix, "C:\\A\\", "nt40")
    wait_for(lambda: agent_pid(prefix) and "0x00220000" in driver_log(prefix), 20, "the agent's register request")
    silent_install(pkg, prefix, TOOLS, "nt40")
    # The next version with the help page open and the driver loaded: both
    # new copies wait beside their files for a restart that the removal
    # comes before.
    held = hold(prefix, TOOLS + "vorel12.htm")
    silent_install(next_version(dist, driver=True), prefix, TOOLS, expect=RESTART_NEEDED)
    write(prefix, MENU + "\\mine.txt")
    # Another administrator removes it: another Start menu.
    os.makedirs(prefix.unix("C:\\Other\\Programs"))
    prefix.run(["reg", "add", "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                "/v", "Programs", "/d", "C:\\Other\\Programs", "/f"])
    t0 = time.time()
    # Written as deployment tools write it: /S, and /l with the path.
    silent_uninstall(prefix, nt=True, switches="/S /lC:\\removal.log")
    print("removal with a file in use took %.1f s" % (time.time() - t0))
    log = log_lines(prefix, "C:\\removal.log")
    print("\n".join(log))
    # The removal joins the recorded folder and name as they are.
    check("DeleteFileA %s\\vorel12.htm: error 32: Sharing violation." % TOOLS in log and
          "restart, MoveFileExA: %svorel12.htm" % TOOLS in log, "the log names the held file and leaves it to the restart")
    check(log[-1].startswith("exit code 3010:"), "and ends with 3010")
    check(os.listdir(prefix.unix("C:\\A")) == ["notes.txt"], "the first folder keeps only the user's file")
    check(os.listdir(prefix.unix(MENU)) == ["mine.txt"], "the installing user's links are gone")
    check(package_files_in(prefix, TOOLS) == ["vorel12.htm"], "only the held file waits in the second folder")
    check(not os.path.exists(prefix.unix("C:\\windows\\system32\\drivers\\vorel12s.sys.new")),
          "and no new copy waits beside the driver")
    pending = pending_deletions(prefix)
    print("pending:", pending)
    for path in (TOOLS + "vorel12.htm", TOOLS, "C:\\windows\\system32\\drivers\\vorel12s.sys"):
        check(path.lower().rstrip("\\") in pending, "%s is left to the restart" % path)
    check(reg_value(prefix, UNINSTALL_KEY, "DisplayName") is None, "the Uninstall entry is gone")
    held.kill()
    held.wait()
    # The restart would delete what an install before it puts in place.
    code, _ = launch(prefix, '"%s" -s -d%s' % (wine_path(os.path.join(pkg, "setup.exe")), TOOLS))
    check(code == RESTART_FIRST and package_files_in(prefix, TOOLS) == ["vorel12.htm"],
          "setup before the restart refuses with %d and copies nothing" % code)
    restart(prefix)
    check(not os.path.exists(prefix.unix(TOOLS.rstrip("\\"))), "after the restart the folder is gone")
    check(not os.path.exists(prefix.unix("C:\\windows\\system32\\drivers\\vorel12s.sys")), "and the driver file")
    check(os.listdir(prefix.unix("C:\\A")) == ["notes.txt"] and os.listdir(prefix.unix(MENU)) == ["mine.txt"],
          "the user's files stay")
    check(agent_pid(prefix) == 0, "no agent starts at the logon")
    silent_install(pkg, prefix, TOOLS, expect=INSTALLED)
    check(same_file(prefix, TOOLS + "vorel12.htm", os.path.join(pkg, "Files", "vorel12.htm")),
          "after the restart setup installs again")


@scenario
def two_agents_started_together_one_runs(dist, prefix):
    silent_install(test_package(dist), prefix, TOOLS, "win2k")
    # Both from one process, back to back: neither has its window yet when
    # the other looks for one.
    both = launch(prefix, TOOLS + "vorel12a.exe", wait=False, env={"E2E_TWICE": "1"})
    check(ui(prefix, "window", "#32770", "20", "Tandrel")[0] == 0, "one agent hands over: the other shows its About box")
    ui(prefix, "postw", "#32770", "Tandrel", "273", "1023", "0")

    def agents():
        return [c for _, c in wine_processes(prefix) if "vorel12a" in c.lower()]
    wait_for(lambda: len(agents()) == 1, 10, "one agent")
    silent_uninstall(prefix, nt=True)
    check(not agents(), "a removal leaves none")
    check(both.wait(timeout=30) == 0, "both agents ended with 0")


def service_manager(prefix):
    found = [pid for pid, c in wine_processes(prefix) if c.lower().endswith("services.exe")]
    check(len(found) == 1, "the service manager runs")
    return found[0]


@scenario
def removal_killed_after_a_held_file_is_finished_by_the_restart(dist, prefix):
    pkg = test_package(dist)
    silent_install(pkg, prefix, TOOLS, "nt40")
    wait_for(lambda: agent_pid(prefix) and "0x00220000" in driver_log(prefix), 20, "the agent's register request")
    # The page open in a browser; its holder also keeps the session, so
    # that no restart happens before the one this scenario makes.
    held = hold(prefix, TOOLS + "vorel12.htm")
    services = service_manager(prefix)
    # A stalled service manager holds the removal at its service step.
    os.kill(services, signal.SIGSTOP)
    try:
        un = launch(prefix, '"%s" -s' % UNINSTALLER, wait=False)
        wait_for(lambda: TOOLS.lower() + "vorel12.htm" in pending_deletions(prefix), 30, "the held file's deletion")
        check(os.path.exists(prefix.unix("C:\\windows\\system32\\vorel12u.pending")), "the marker is in place")
        for pid, c in wine_processes(prefix):
            if "vorel12u" in c.lower():
                os.kill(pid, signal.SIGKILL)
        un.wait(timeout=30)
    finally:
        os.kill(services, signal.SIGCONT)
    check(reg_value(prefix, UNINSTALL_KEY, "DisplayName") == "Tandrel (V2.01)", "the cut-off removal is still listed")
    check(reg_value(prefix, SERVICE_KEY, "Type") == "0x1", "and its service is still there")
    code, _ = launch(prefix, '"%s" -s -d%s' % (wine_path(os.path.join(pkg, "setup.exe")), TOOLS))
    check(code == RESTART_FIRST and package_files_in(prefix, TOOLS) == ["vorel12.htm"],
          "setup before the restart refuses with %d and copies nothing" % code)
    held.kill()
    held.wait()
    restart(prefix)
    check(not os.path.exists(prefix.unix("C:\\windows\\system32\\vorel12u.pending")), "the restart deleted the marker")
    silent_install(pkg, prefix, TOOLS, expect=INSTALLED)
    check_footprint(prefix, TOOLS, nt=True)
    wait_for(lambda: agent_pid(prefix), 20, "the agent that setup started")
    # Run again, the uninstaller finishes what is left.
    silent_uninstall(prefix, nt=True)
    check_footprint_gone(prefix, TOOLS)


@scenario
def setup_and_removal_started_together_one_runs(dist, prefix):
    pkg = test_package(dist)
    silent_install(pkg, prefix, TOOLS, "win2k")
    setup = '"%s" -s -d%s' % (wine_path(os.path.join(pkg, "setup.exe")), TOOLS.rstrip("\\"))
    services = service_manager(prefix)
    # Either one, once it has the lock, stalls at its service step: the two
    # overlap however fast the removal would be.
    os.kill(services, signal.SIGSTOP)
    try:
        both = launch(prefix, setup, wait=False, env={"E2E_TWICE": "1", "E2E_CMDLINE2": '"%s" -s' % UNINSTALLER})

        def started():
            both.out.seek(0)
            return both.out.read().count(b"pid ") == 2

        def running():
            return [c for _, c in wine_processes(prefix) if "setup.exe" in c.lower() or "vorel12u" in c.lower()]
        wait_for(started, 20, "both programs")
        wait_for(lambda: len(running()) == 1, 20, "one of them to end")
    finally:
        os.kill(services, signal.SIGCONT)
    both.wait(timeout=60)
    codes = [int(line.split()[-1]) for line in both.output.splitlines() if line.startswith("copy ")]
    print("setup, removal:", codes)
    check(codes in ([RESTART_NEEDED, ALREADY_RUNNING], [ALREADY_RUNNING, RESTART_NEEDED]),
          "one ran, the other exited %d: %s" % (ALREADY_RUNNING, codes))
    if codes[0] == RESTART_NEEDED:
        check_footprint(prefix, TOOLS, nt=True)
    else:
        check_footprint_gone(prefix, TOOLS)
