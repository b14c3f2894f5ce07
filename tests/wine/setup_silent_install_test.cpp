// Silent installs into the test's own folder with real files, registry and
// service manager of the prefix, for each platform family.
#include "setup_harness.h"
#include <sddl.h>
#include <fstream>
#include <iterator>
#include "log.h"

namespace {

TEST(SilentInstall, Nt4InstallsEverythingAndStartsTheQuotedAgentFromTheWindowsFolder)
{
    Package p(NT4);
    p.shell.failing = FakeShell::NONE;          // there only WinExec starts it
    EXPECT_EQ(0, p.Silent());
    EXPECT_INSTALLED_WHOLE(p.dest, g_neededKB);
    std::string driver = WindowsDir() + "\\System32\\Drivers\\vorel12s.sys";
    EXPECT_TRUE(FileExists(driver));
    ServiceConfig s = QueryDriverService();
    ASSERT_TRUE(s.exists);
    EXPECT_EQ((DWORD)SERVICE_KERNEL_DRIVER, s.type);
    EXPECT_EQ((DWORD)SERVICE_DEMAND_START, s.start);
    EXPECT_EQ((DWORD)SERVICE_ERROR_NORMAL, s.error);
    EXPECT_EQ("VOREL12", s.display);
    EXPECT_NE(std::string::npos, s.path.find("vorel12s.sys"));
    EXPECT_EQ(std::vector<std::string>{ "WinExec(\"\"" + p.dest + "vorel12a.exe\"\", 1) in " + WindowsDir() },
              CallsTo("WinExec"));
    EXPECT_TRUE(CallsTo("CoCreateInstance(ShellWindows").empty());
}

TEST(SilentInstall, NineXHasNoDriverFileAndNeverOpensTheServiceManager)
{
    Package p(WIN98);
    p.shell.failing = FakeShell::NONE;
    HOOK(OpenSCManagerA, [](LPCSTR, LPCSTR, DWORD) -> SC_HANDLE {
        Record("OpenSCManagerA");
        return NULL;
    });
    EXPECT_EQ(0, p.Silent());
    EXPECT_INSTALLED_WHOLE(p.dest, g_neededKB);
    EXPECT_FALSE(FileExists(WindowsDir() + "\\System32\\Drivers\\vorel12s.sys"));
    EXPECT_TRUE(CallsTo("OpenSCManagerA").empty());
    EXPECT_EQ(1u, CallsTo("WinExec").size());
    EXPECT_TRUE(CallsTo("CoCreateInstance(ShellWindows").empty());
}

TEST(SilentInstall, Nt5NeitherStartsTheAgentNorAsksToRestart)
{
    for (FakeOs os : { WIN2K, WINXP, WIN2003 }) {          // any minor version counts as 5
        Package p(os);
        p.shell.failing = FakeShell::NONE;
        EXPECT_EQ(ERROR_SUCCESS_REBOOT_REQUIRED, p.Silent());      // silent mode asks no restart question
        EXPECT_INSTALLED_WHOLE(p.dest, g_neededKB);
        EXPECT_TRUE(QueryDriverService().exists);
        EXPECT_TRUE(CallsTo("WinExec").empty()) << os.minor;
        EXPECT_TRUE(CallsTo("CoCreateInstance(ShellWindows").empty());
        EXPECT_TRUE(CallsTo("ExitWindowsEx").empty());
    }
}

TEST(SilentInstall, ASecondInstallLeavesOneSetOfEverything)
{
    Package p(NT4);
    EXPECT_EQ(0, p.Silent());
    // The record keeps the names of both runs into the same folder.
    DeleteFileA((p.source + "Files\\vorel12v.vxd").c_str());
    EXPECT_EQ(0, p.Silent());
    EXPECT_INSTALLED_WHOLE(p.dest, g_neededKB);
    EXPECT_TRUE(QueryDriverService().exists);
    HKEY run;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyA(HKEY_LOCAL_MACHINE, SZ_RUN_KEY, &run));
    int ours = 0;
    char name[256];
    for (DWORD i = 0;; i++) {
        DWORD n = sizeof name;
        if (RegEnumValueA(run, i, name, &n, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
            break;
        ours += std::string(name) == SZ_RUN_VALUE;
    }
    RegCloseKey(run);
    EXPECT_EQ(1, ours);
    // Into another folder, and with nothing to copy: the first folder's names
    // stay in its own group, and the new folder's empty group still says
    // that nothing of this install lies there.
    for (const char* f : { "vorel12a.exe", "vorel12.htm" })
        DeleteFileA((p.source + "Files\\" + f).c_str());
    std::string first = p.dest;
    p.dest = p.root.Path() + "other\\";
    EXPECT_EQ(0, p.Silent());
    bool found = false;
    // Each staged copy and each kept old file is named before it is made.
    EXPECT_EQ(first + "*vorel12.htm*vorel12.htm.new*vorel12a.exe*vorel12a.exe.new*vorel12v.vxd*vorel12v.vxd.new*"
                      "vorel12.htm.old*vorel12a.exe.old*" + p.dest,
              ReadRegString(HKEY_LOCAL_MACHINE, SZ_UNINSTALL_KEY_SETUP, SZ_RECORD_FILES, &found));
    EXPECT_TRUE(found);
    RemoveFootprint(first);
}

TEST(SilentInstall, DefaultFolderWhenNoFolderIsGiven)
{
    Package p(WIN2K);
    p.dest = "C:\\Tandrel\\";
    RemoveFootprint(p.dest);
    EXPECT_EQ(ERROR_SUCCESS_REBOOT_REQUIRED, p.Run("-s"));
    EXPECT_EQ("\"C:\\Tandrel\\vorel12a.exe\"", ReadRegString(HKEY_LOCAL_MACHINE, SZ_RUN_KEY, SZ_RUN_VALUE));
    EXPECT_TRUE(FileExists("C:\\Tandrel\\vorel12.htm"));
}

TEST(SilentInstall, FreeSpaceOfExactlyTheNeededSizeInstallsAndOneKLessShowsTheMessage)
{
    // 6548, 4096 and 2500 bytes: 6 + 4 + 2 = 12 thousand bytes needed.
    for (ULONGLONG freeKB : { 12, 11 }) {
        Package p(NT4);
        HOOK(GetDiskFreeSpaceA, FakeFreeSpace);
        g_freeBytes = freeKB * 1024 + 1023;           // the remainder does not count
        EXPECT_EQ(freeKB == 12 ? 0 : ERROR_DISK_FULL, p.Silent());
        if (freeKB == 12) {
            EXPECT_INSTALLED_WHOLE(p.dest, g_neededKB);
            EXPECT_EQ(1u, CallsTo("WinExec").size());
        } else {
            EXPECT_EQ(std::vector<std::string>{ "MessageBoxA(owner=other, \"There are not enough disk space.\", \"Tandrel Setup\", flags=0x30)" },
                      CallsTo("MessageBoxA"));
            EXPECT_NOTHING_INSTALLED(p.dest);
            EXPECT_TRUE(CallsTo("WinExec").empty());
        }
    }
}

TEST(SilentInstall, FourTebibytesFreeIsPlentyNotAWrappedSmallFigure)
{
    Package p(WIN2K);
    HOOK(GetDiskFreeSpaceA, FakeFreeSpace);
    g_freeBytes = 4ull << 40;           // 4 TiB: 2^32 K, which wraps to 0 in 32 bits
    EXPECT_EQ(ERROR_SUCCESS_REBOOT_REQUIRED, p.Silent());
    EXPECT_TRUE(CallsTo("MessageBoxA").empty());
    EXPECT_TRUE(FileExists(p.dest + "vorel12a.exe"));
    EXPECT_EQ(std::vector<std::string>{ "GetDiskFreeSpaceA(" + Quote(p.root.Path().substr(0, 3).c_str()) + ")" },
              CallsTo("GetDiskFreeSpaceA"));
}

TEST(SilentInstall, ARejectedDriveRootCountsAsNoSpace)
{
    Package p(NT4);
    EXPECT_EQ(ERROR_DISK_FULL, p.Run("-s -dQ:\\Tools"));      // no drive Q: in the prefix
    EXPECT_EQ(1u, CallsTo("MessageBoxA(owner=other, \"There are not enough disk space.\"").size());
    EXPECT_EQ("", ReadRegString(HKEY_LOCAL_MACHINE, SZ_RUN_KEY, SZ_RUN_VALUE));
}

TEST(SilentInstall, AFolderThatWouldLeaveHalfAnInstallationInstallsNothingAtAll)
{
    Package p(NT4);
    std::string base = p.root.Path() + "d";
    std::string tooLong = base + std::string(85 - base.size(), 'x');      // 86 with its backslash
    std::string over = base + std::string(180 - base.size(), 'y');        // a -d text of 180
    struct Row {
        std::string line, folder;
    } rows[] = {
        { "-s -d" + tooLong, tooLong },                      // no room for the Run value
        { "-s -d" + base + "Bad?Name", base + "Bad" },
        { "-s -d" + base + "Blank  -s", base + "Blank" },     // "Blank " loses its blank when created
        { "-s -d" + over, over.substr(0, 120) },
        { "-s -d " + base, base },                            // a leading blank: no absolute folder
        { "-s -d\\\\server\\share\\Tandrel\\", "\\\\server\\share\\Tandrel" },   // a restart runs before the network
    };
    for (const Row& row : rows) {
        EXPECT_EQ(ERROR_INVALID_COMMAND_LINE, p.Run(row.line));
        SCOPED_TRACE(row.line);
        EXPECT_NOTHING_INSTALLED(row.folder + "\\");
        EXPECT_TRUE(CallsTo("WinExec").empty()) << row.line;
        EXPECT_TRUE(CallsTo("MessageBoxA").empty()) << row.line;
    }
    // Folders the removal would not clear, which therefore exist already.
    for (const std::string& folder : { std::string("C:\\"), WindowsDir() + "\\" }) {
        EXPECT_EQ(ERROR_INVALID_COMMAND_LINE, p.Run("-s -d" + folder));
        EXPECT_EQ("", FootprintPresent(folder, "files menu run uninstall service uninstaller")) << folder;
    }
    HOOK(GetDriveTypeA, [](LPCSTR) -> UINT { return DRIVE_REMOTE; });
    EXPECT_EQ(ERROR_INVALID_COMMAND_LINE, p.Run("-s -d" + base + "Net"));
    EXPECT_NOTHING_INSTALLED(base + "Net\\");
}

TEST(SilentInstall, TheLongestFolderAndTheQuotedFormsInstallWhole)
{
    Package p(NT4);
    std::string base = p.root.Path() + "My Tools ";
    std::string longest = base + std::string(84 - base.size(), 'x');      // 85 with its backslash
    for (const std::string& line : { "-s -d" + longest, "-s -d\"" + longest + "\"", "-s \"-d" + longest + "\"" }) {
        p.dest = longest + "\\";
        EXPECT_EQ(0, p.Run(line));
        EXPECT_INSTALLED_WHOLE(p.dest, g_neededKB);
        EXPECT_EQ(std::vector<std::string>{ "WinExec(\"\"" + p.dest + "vorel12a.exe\"\", 1) in " + WindowsDir() },
                  CallsTo("WinExec")) << line;
        RemoveFootprint(p.dest);
    }
}

TEST(HelpMode, OpensTheSourcePackagesPageAndInstallsNothing)
{
    Package p(WIN7);
    // A deployment that asked for an install learns that none was made.
    struct { const char* line; int code; } rows[] = {
        { "-h", 0 }, { "/x -h", 0 }, { "-s -h", ERROR_INVALID_COMMAND_LINE }, { "-s -dC:\\my-home", ERROR_INVALID_COMMAND_LINE }
    };
    for (auto row : rows) {
        const char* line = row.line;
        EXPECT_EQ(row.code, p.Run(line)) << line;
        EXPECT_EQ(std::vector<std::string>{ "ShellExecuteA(owner=NULL, \"open\", " + Quote((p.source + "Files\\vorel12.htm").c_str()) +
                                            ", NULL, NULL, 1)" },
                  CallsTo("ShellExecuteA")) << line;
    }
    // A log named by a lone -l says so too, and ends with the code.
    std::string path = p.root.Path() + "help.log";
    EXPECT_EQ(ERROR_INVALID_COMMAND_LINE, p.Run("-s -l " + path + " -dC:\\my-home"));
    EndLog();
    std::ifstream in(path, std::ios::binary);
    std::string log((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(std::string::npos, log.find(" help mode: " + p.source + "Files\\vorel12.htm\r\n")) << log;
    EXPECT_NE(std::string::npos, log.find(" exit code 1639: ")) << log;
    EXPECT_EQ("", ReadRegString(HKEY_LOCAL_MACHINE, SZ_RUN_KEY, SZ_RUN_VALUE));
    EXPECT_FALSE(FolderExists("C:\\my-home"));
    EXPECT_TRUE(CallsTo("MessageBoxA").empty());
    // Setup's own path does not fit its 200 bytes, or names no folder: no
    // page from anywhere else.
    for (const std::string& module : { p.root.Path() + std::string(200 - p.root.Path().size(), 'm'),
                                       std::string("setup.exe") }) {
        g_fakeModulePath = module;
        EXPECT_EQ(0, p.Run("-h"));
        EXPECT_TRUE(CallsTo("ShellExecuteA").empty()) << module;
    }
}

// The log a run wrote, once the run has ended it.
std::string LogOf(const std::string& path)
{
    EndLog();
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(AgentStart, OnVersion10TheDesktopShellStartsItWithTheUsersTokenAndWinExecIsNotCalled)
{
    Package p(WIN10);
    p.shell.failing = FakeShell::NONE;
    std::string log = p.root.Path() + "setup.log";
    EXPECT_EQ(0, p.Run("-s -d" + p.dest + " -l" + log));
    std::vector<std::string> expected = {
        "CoCreateInstance(ShellWindows, context=0x17)",
        "IShellWindows::FindWindowSW(location=3/0, root=0, class=8, options=1)",   // SWC_DESKTOP, SWFO_NEEDDISPATCH
        "IShellDispatch2::ShellExecute(" + p.dest + "vorel12a.exe, empty, empty, empty, 1)",
    };
    std::vector<std::string> shell = CallsTo("CoCreateInstance(ShellWindows");
    for (const char* step : { "IShellWindows", "IShellDispatch2" })
        for (const std::string& c : CallsTo(step))
            shell.push_back(c);
    EXPECT_EQ(expected, shell);
    EXPECT_TRUE(CallsTo("WinExec").empty());
    EXPECT_EQ(0, p.shell.held);
    EXPECT_NE(std::string::npos, LogOf(log).find(" IShellDispatch2::ShellExecute " + p.dest + "vorel12a.exe\r\n"));
}

TEST(AgentStart, EachStepOfTheShellThatDoesNotAnswerFallsBackToWinExec)
{
    Package p(WIN10);
    std::string log = p.root.Path() + "setup.log";
    for (int step = FakeShell::CREATE; step < FakeShell::STEPS; step++) {
        p.shell.failing = (FakeShell::Step)step;
        DeleteFileA(log.c_str());
        EXPECT_EQ(0, p.Run("-s -d" + p.dest + " -l" + log)) << step;
        EXPECT_EQ(std::vector<std::string>{ "WinExec(\"\"" + p.dest + "vorel12a.exe\"\", 1) in " + WindowsDir() },
                  CallsTo("WinExec")) << step;
        EXPECT_EQ(step == FakeShell::EXECUTE ? 1u : 0u, CallsTo("IShellDispatch2::ShellExecute").size()) << step;
        EXPECT_EQ(0, p.shell.held) << step;
        // The log tells the way that failed, then the one taken.
        std::string text = LogOf(log);
        size_t failed = text.find(" IShellDispatch2::ShellExecute " + p.dest + "vorel12a.exe: error ");
        EXPECT_NE(std::string::npos, failed) << step;
        EXPECT_LT(failed, text.find(" WinExec \"" + p.dest + "vorel12a.exe\"")) << step;
    }
}

TEST(AgentStart, AsTheSystemAccountOrInSessionZeroNoAgentStartsAndTheCodeStaysTheSame)
{
    // A deployment tool's setup: no desktop shell in the session, no user.
    static bool system, sessionZero;
    HOOK(GetTokenInformation, [](HANDLE token, TOKEN_INFORMATION_CLASS what, LPVOID out, DWORD size,
                                 PDWORD needed) -> BOOL {
        if (!REAL(GetTokenInformation)(token, what, out, size, needed))
            return FALSE;
        static SID localSystem = { SID_REVISION, 1, SECURITY_NT_AUTHORITY, { SECURITY_LOCAL_SYSTEM_RID } };
        if (what == TokenUser && system)
            ((TOKEN_USER*)out)->User.Sid = &localSystem;
        if (what == TokenSessionId && sessionZero)
            *(DWORD*)out = 0;
        return TRUE;
    });
    Package p(WIN10);
    p.shell.failing = FakeShell::NO_DESKTOP;
    std::string log = p.root.Path() + "setup.log";
    for (int row = 0; row < 3; row++) {
        system = row == 1;
        sessionZero = row == 2;
        EXPECT_EQ(0, p.Run("-s -d" + p.dest + " -l" + log)) << row;
        EXPECT_EQ(row == 0 ? 1u : 0u, CallsTo("WinExec").size()) << row;
        EXPECT_TRUE(CallsTo("IShellDispatch2::ShellExecute").empty());
    }
    EXPECT_NE(std::string::npos, LogOf(log).find(" agent left to the next logon: " + p.dest + "vorel12a.exe\r\n"));
}

// The DACL as a list of "type mask SID" entries.
std::vector<std::string> Entries(PSECURITY_DESCRIPTOR sd)
{
    BOOL present = FALSE, defaulted;
    PACL dacl = NULL;
    std::vector<std::string> out;
    if (!GetSecurityDescriptorDacl(sd, &present, &dacl, &defaulted) || !present || !dacl)
        return { "no DACL" };
    for (DWORD i = 0; i < dacl->AceCount; i++) {
        ACCESS_ALLOWED_ACE* ace;
        GetAce(dacl, i, (void**)&ace);
        char* sid = NULL;
        ConvertSidToStringSidA((PSID)&ace->SidStart, &sid);
        char e[100];
        snprintf(e, sizeof e, "%d 0x%lx %s", ace->Header.AceType, ace->Mask, sid);
        LocalFree(sid);
        out.push_back(e);
    }
    return out;
}

TEST(ServiceSecurity, TheInteractiveUsersMayStartTheServiceAndNothingMoreAndARunAgainAddsNoSecondEntry)
{
    // What Windows gives a new service: the system account, the
    // administrators, and the interactive and service users' queries.
    static std::vector<char> stored;
    auto store = [](const char* sddl) {
        PSECURITY_DESCRIPTOR sd;
        ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &sd, NULL);
        stored.assign((char*)sd, (char*)sd + GetSecurityDescriptorLength(sd));
        LocalFree(sd);
    };
    store("D:(A;;CCLCSWRPWPDTLOCRRC;;;SY)(A;;CCDCLCSWRPWPDTLOCRSDRCWDWO;;;BA)(A;;CCLCSWLOCRRC;;;IU)"
          "(A;;CCLCSWLOCRRC;;;SU)");
    std::vector<std::string> defaults = Entries(stored.data());
    ASSERT_EQ(4u, defaults.size());
    HOOK(QueryServiceObjectSecurity, [](SC_HANDLE, SECURITY_INFORMATION what, PSECURITY_DESCRIPTOR out, DWORD size,
                                        LPDWORD needed) -> BOOL {
        Record("QueryServiceObjectSecurity(%lu)", what);
        *needed = stored.size();
        if (size < stored.size()) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return FALSE;
        }
        memcpy(out, stored.data(), stored.size());
        return TRUE;
    });
    // What setup passes, kept as the service's from then on.
    static bool refused;
    HOOK(SetServiceObjectSecurity, [](SC_HANDLE, SECURITY_INFORMATION what, PSECURITY_DESCRIPTOR sd) -> BOOL {
        if (refused) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        std::string list;
        for (const std::string& e : Entries(sd))
            list += e + "|";
        Record("SetServiceObjectSecurity(%lu, %s)", what, list.c_str());
        DWORD size = 0;
        MakeSelfRelativeSD(sd, NULL, &size);
        stored.resize(size);
        return MakeSelfRelativeSD(sd, stored.data(), &size);
    });
    std::string expected = "SetServiceObjectSecurity(4, ";        // DACL_SECURITY_INFORMATION
    for (const std::string& e : defaults)
        expected += e + "|";
    expected += "0 0x14 S-1-5-4|)";                                 // SERVICE_START | SERVICE_QUERY_STATUS
    Package p(WIN7);
    for (int run = 0; run < 2; run++) {                             // the second over the existing service
        EXPECT_EQ(0, p.Silent());
        EXPECT_EQ(std::vector<std::string>{ expected }, CallsTo("SetServiceObjectSecurity")) << run;
    }
    // Without the entry the keys would be dead for every user: not a whole install.
    refused = true;
    EXPECT_EQ(ERROR_INSTALL_FAILURE, p.Silent());
    refused = false;
    // Nor when the existing service cannot be opened to set it; the log says so.
    {
        HOOK(OpenServiceA, [](SC_HANDLE manager, LPCSTR name, DWORD access) -> SC_HANDLE {
            if (access & WRITE_DAC) {
                SetLastError(ERROR_ACCESS_DENIED);
                return NULL;
            }
            return REAL(OpenServiceA)(manager, name, access);
        });
        std::string log = p.root.Path() + "setup.log";
        EXPECT_EQ(ERROR_INSTALL_FAILURE, p.Run("-s -d" + p.dest + " -l" + log));
        EXPECT_NE(std::string::npos, LogOf(log).find(" OpenServiceA VOREL12: error 5: ")) << LogOf(log);
    }
    // A service without a DACL lets everyone do everything: a DACL of one
    // entry would take it from the administrators.
    SECURITY_DESCRIPTOR open;
    InitializeSecurityDescriptor(&open, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&open, TRUE, NULL, FALSE);
    DWORD size = 0;
    MakeSelfRelativeSD(&open, NULL, &size);
    stored.resize(size);
    ASSERT_TRUE(MakeSelfRelativeSD(&open, stored.data(), &size));
    ASSERT_EQ(std::vector<std::string>{ "no DACL" }, Entries(stored.data()));
    EXPECT_EQ(0, p.Silent());
    EXPECT_EQ(1u, CallsTo("QueryServiceObjectSecurity").size());
    EXPECT_TRUE(CallsTo("SetServiceObjectSecurity").empty());
}

}  // namespace
