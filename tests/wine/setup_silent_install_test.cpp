// Silent installs into the test's own folder with real files, registry and
// service manager of the prefix, for each platform family.
#include "setup_harness.h"
#include <fstream>
#include <iterator>
#include "log.h"

namespace {

TEST(SilentInstall, Nt4InstallsEverythingAndStartsTheQuotedAgentFromTheWindowsFolder)
{
    Package p(NT4);
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
}

TEST(SilentInstall, NineXHasNoDriverFileAndNeverOpensTheServiceManager)
{
    Package p(WIN98);
    HOOK(OpenSCManagerA, [](LPCSTR, LPCSTR, DWORD) -> SC_HANDLE {
        Record("OpenSCManagerA");
        return NULL;
    });
    EXPECT_EQ(0, p.Silent());
    EXPECT_INSTALLED_WHOLE(p.dest, g_neededKB);
    EXPECT_FALSE(FileExists(WindowsDir() + "\\System32\\Drivers\\vorel12s.sys"));
    EXPECT_TRUE(CallsTo("OpenSCManagerA").empty());
    EXPECT_EQ(1u, CallsTo("WinExec").size());
}

TEST(SilentInstall, Nt5NeitherStartsTheAgentNorAsksToRestart)
{
    for (FakeOs os : { WIN2K, WINXP, WIN2003 }) {          // any minor version counts as 5
        Package p(os);
        EXPECT_EQ(ERROR_SUCCESS_REBOOT_REQUIRED, p.Silent());      // silent mode asks no restart question
        EXPECT_INSTALLED_WHOLE(p.dest, g_neededKB);
        EXPECT_TRUE(QueryDriverService().exists);
        EXPECT_TRUE(CallsTo("WinExec").empty()) << os.minor;
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

}  // namespace
