// The whole removal against a footprint laid out in the prefix: the
// question, the order of the steps, what stays, and the final message.
#include "uninstall_harness.h"
#include "installlock.h"

namespace {

const char CONFIRM[] = "MessageBoxA(owner=NULL, \"Do you really want to uninstall this program.\", \"Tandrel\", flags=0x50024)";
const char DONE_NT[] = "MessageBoxA(owner=NULL, \"All the Tandrel files are removed. But the Uninstallation will take effects until you restart the system.\", \"Tandrel\", flags=0x50000)";
const char BUSY[] = "MessageBoxA(owner=NULL, \"Tandrel setup or removal is already running. Try again when it has finished.\", \"Tandrel\", flags=0x50030)";
const char NEEDS_ADMIN[] = "MessageBoxA(owner=NULL, \"Removing Tandrel needs administrator rights.\", \"Tandrel\", flags=0x50030)";
const char UNKNOWN_QUIET[] = "MessageBoxA(owner=NULL, \"Unknown option -quiet. Nothing was removed.\", \"Tandrel\", flags=0x50030)";
const char DONE_9X[] = "MessageBoxA(owner=NULL, \"This program has been uninstalled successfully.\", \"Tandrel\", flags=0x50000)";

struct UninstallTest : ::testing::Test {
    HOOK(GetVersionExA, FakeGetVersionExA);
    HOOK(MessageBoxA, FakeMessageBoxA);
};

TEST_F(UninstallTest, NoLeavesEverythingAndShowsOneBox)
{
    Installed inst;
    QueueAnswers({ IDNO });
    EXPECT_EQ(ERROR_INSTALL_USEREXIT, RunUninstaller());
    EXPECT_EQ(std::vector<std::string>{ CONFIRM }, CallsTo("MessageBoxA"));
    const char items[] = "files links uninstall driver service";
    EXPECT_EQ(items, FootprintPresent(inst.dest, items));
    EXPECT_EQ(inst.dest + "vorel12a.exe", ReadRegString(HKEY_LOCAL_MACHINE, SZ_RUN_KEY, SZ_RUN_VALUE));
}

// The marker is in place before the first deletion left to the restart,
// and the Uninstall entry goes last: a removal cut off anywhere is still
// listed, and setup waits for the restart.
TEST_F(UninstallTest, NtRemovesTheFootprintInTheFixedOrder)
{
    SetFakeOs(NT4);
    Installed inst;
    std::string sys = SystemDir(), marker = sys + "\\vorel12u.pending";
    HANDLE held = CreateFileA((inst.dest + "vorel12.htm").c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    RemovalRecorder rec;
    QueueAnswers({ IDYES });
    EXPECT_EQ(ERROR_SUCCESS_REBOOT_REQUIRED, RunUninstaller());
    CloseHandle(held);
    std::vector<int> order = {
        IndexOf(CONFIRM),
        IndexOf("CreateFileA(" + marker + ")"),
        IndexOf("MoveFileExA(" + marker + ", NULL, 0x4)"),
        IndexOf("DeleteFileA(" + inst.dest.substr(0, inst.dest.size() - 1) + "\\\\vorel12a.exe)"),
        IndexOf("MoveFileExA(" + inst.dest + "vorel12.htm, NULL, 0x4)"),
        IndexOf("RemoveDirectoryA(" + inst.dest + ")"),
        IndexOf("DeleteFileA(" + inst.menu + "\\Tandrel About.lnk)"),
        IndexOf("RemoveDirectoryA(" + inst.menu + ")"),
        IndexOf("RegDeleteValueA(VOREL12)"),
        IndexOf("RegDeleteKeyA(HKCR\\" + std::string(SZ_CLSID_KEY) + ")"),
        IndexOf("RegDeleteKeyA(HKLM\\" + std::string(SZ_PROPSHEET_KEY) + ")"),
        IndexOf("OpenSCManagerA(0xf003f)"),
        IndexOf("LockServiceDatabase"),
        IndexOf("DeleteService"),
        IndexOf("DeleteFileA(" + sys + "\\Drivers\\vorel12s.sys)"),
        IndexOf("DeleteFileA(" + sys + "\\Drivers\\vorel12s.sys.old)"),
        IndexOf("DeleteFileA(" + sys + "\\VOREL12\\tandrel.htm)"),
        IndexOf("DeleteFileA(" + sys + "\\VOREL12\\vorel12a.exe)"),
        IndexOf("RemoveDirectoryA(" + sys + "\\VOREL12\\)"),
        IndexOf("RegDeleteKeyA(HKLM\\" + std::string(SZ_UNINSTALL_KEY) + ")"),
        IndexOf("RegFlushKey(HKLM)"),
        IndexOf(DONE_NT),
    };
    for (size_t i = 0; i < order.size(); i++) {
        EXPECT_GE(order[i], 0) << "step " << i << " missing";
        if (i)
            EXPECT_LT(order[i - 1], order[i]) << "step " << i << " out of order";
    }
    EXPECT_EQ(0u, CallsTo("MoveFileExA")[0].find("MoveFileExA(" + marker)) << "the marker's own line comes first";
    EXPECT_EQ(2u, CallsTo("DeleteFileA(" + sys + "\\Drivers\\vorel12s.sys)").size());
    EXPECT_EQ(2u, CallsTo("DeleteFileA(" + sys + "\\vorel12u.exe.old)").size());
    EXPECT_EQ(3u, CallsTo("DeleteFileA(" + sys + "\\VOREL12\\vorel12s.dll)").size());
    EXPECT_EQ(2u, CallsTo("MessageBoxA").size());
    // Its own file stays, and the marker until the restart.
    EXPECT_TRUE(FileExists(marker));
    EXPECT_EQ("folder uninstaller", FootprintPresent(inst.dest, "folder menu vorel12 driver uninstaller run"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, SZ_UNINSTALL_KEY));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, SZ_CLSID_KEY));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, SZ_PROPSHEET_KEY));
}

// A run refused before its first change, once with the dialog and once
// with the silent line: code both times, the one box only in the dialog
// run, and the whole footprint left with no marker.
void ExpectRefused(const char* file, int line, const Installed& inst, int code, const char* dialogLine,
                   const char* silentLine, const std::string& box)
{
    SCOPED_TRACE(testing::Message() << "refused, asked at " << file << ":" << line);
    QueueAnswers({ IDOK });
    EXPECT_EQ(code, RunUninstaller(dialogLine));
    EXPECT_EQ(std::vector<std::string>{ box }, CallsTo("MessageBoxA"));
    EXPECT_EQ(code, RunUninstaller(silentLine));
    EXPECT_TRUE(CallsTo("MessageBoxA").empty());
    const char items[] = "files menu run uninstall service vorel12 driver";
    EXPECT_EQ(items, FootprintPresent(inst.dest, items));
    EXPECT_FALSE(FileExists(SystemDir() + "\\vorel12u.pending"));
}
#define EXPECT_REFUSED(...) ExpectRefused(__FILE__, __LINE__, __VA_ARGS__)

// Setup or another removal holds the lock: neither -s nor the dialog run
// changes anything, and only the dialog run says why.
TEST_F(UninstallTest, ALockHeldElsewhereChangesNothingAndExits1618)
{
    Installed inst;
    CloseHandle(g_installLock);
    g_installLock = NULL;
    HANDLE other = CreateFileA((SystemDir() + "\\vorel12.lck").c_str(), GENERIC_WRITE, 0, NULL, OPEN_ALWAYS,
                               FILE_FLAG_DELETE_ON_CLOSE, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, other);
    EXPECT_REFUSED(inst, ERROR_INSTALL_ALREADY_RUNNING, "", "-s", BUSY);
    // Free again once its holder has ended.
    CloseHandle(other);
    QueueAnswers({ IDNO });
    EXPECT_EQ(ERROR_INSTALL_USEREXIT, RunUninstaller());
}

// A user who may not write the system folder is no second run: told so,
// and the removal's question is never asked.
TEST_F(UninstallTest, ALockThatCannotBeMadeChangesNothingAndExits5)
{
    Installed inst;
    CloseHandle(g_installLock);
    g_installLock = NULL;
    HOOK(CreateFileA, [](LPCSTR p, DWORD a, DWORD s, LPSECURITY_ATTRIBUTES sa, DWORD d, DWORD f, HANDLE t) -> HANDLE {
        if (std::string(p).find("vorel12.lck") != std::string::npos)
            return SetLastError(ERROR_ACCESS_DENIED), INVALID_HANDLE_VALUE;
        return REAL(CreateFileA)(p, a, s, sa, d, f, t);
    });
    EXPECT_REFUSED(inst, ERROR_ACCESS_DENIED, "", "/S", NEEDS_ADMIN);
}

// An option the uninstaller does not know: nothing removed, the question
// never asked, and only a run without -s names it.
TEST_F(UninstallTest, AnUnknownOptionChangesNothingAndExits1639)
{
    Installed inst;
    EXPECT_REFUSED(inst, ERROR_INVALID_COMMAND_LINE, "-quiet", "/S /x", UNKNOWN_QUIET);
}

TEST_F(UninstallTest, NineXLeavesTheDriverFileAndEndsWithString2)
{
    SetFakeOs(WIN98);
    Installed inst;
    RemovalRecorder rec;
    QueueAnswers({ IDYES });
    EXPECT_EQ(0, RunUninstaller());
    EXPECT_TRUE(CallsTo("DeleteFileA(" + SystemDir() + "\\Drivers").empty());
    EXPECT_TRUE(FileExists(SystemDir() + "\\Drivers\\vorel12s.sys"));
    EXPECT_EQ(DONE_9X, CallsTo("MessageBoxA").back());
    EXPECT_FALSE(FolderExists(inst.dest));
    // An earlier removal's marker stands for files that wait for the
    // restart: a run before it keeps the marker and asks for the restart.
    WriteFileBytes(SystemDir() + SZ_REMOVAL_MARKER, 0);
    QueueAnswers({ IDYES });
    EXPECT_EQ(ERROR_SUCCESS_REBOOT_REQUIRED, RunUninstaller());
    EXPECT_EQ(DONE_NT, CallsTo("MessageBoxA").back());
    EXPECT_TRUE(FileExists(SystemDir() + SZ_REMOVAL_MARKER));
}

TEST_F(UninstallTest, ASecondRunFindsNothingAndStillShowsTheFinalMessage)
{
    SetFakeOs(WIN7);
    Installed inst(false);
    QueueAnswers({ IDYES, IDOK, IDYES });
    EXPECT_EQ(ERROR_SUCCESS_REBOOT_REQUIRED, RunUninstaller());
    EXPECT_EQ(ERROR_SUCCESS_REBOOT_REQUIRED, RunUninstaller());
    std::vector<std::string> expected = { CONFIRM, DONE_NT };
    EXPECT_EQ(expected, CallsTo("MessageBoxA"));
}

// Only names setup recorded go, whatever their attributes; a recorded name
// that would reach outside the folder, or a subfolder, stays, and so does
// every file setup did not install, and with them the folder.
TEST_F(UninstallTest, OnlyRecordedNamesGoAndNoneReachesOutsideItsFolder)
{
    Installed inst;
    CreateDirectoryA((inst.dest + "keep").c_str(), NULL);
    WriteFileBytes(inst.dest + "keep\\inner.txt", 5);
    SetFileAttributesA((inst.dest + "keep").c_str(), FILE_ATTRIBUTE_HIDDEN);
    WriteFileBytes(inst.dest + "ro.txt", 5, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    WriteFileBytes(inst.dest + "users.txt", 5, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    WriteFileBytes(inst.vorel12 + "\\tandrel.htm", 5, FILE_ATTRIBUTE_READONLY);
    std::string beside = inst.root.Path() + "victim.txt", rooted = WindowsDir().substr(0, 3) + "tandrel_victim.txt";
    WriteFileBytes(beside, 5);
    WriteFileBytes(rooted, 5);
    SetValue(HKEY_LOCAL_MACHINE, SZ_UNINSTALL_KEY_SETUP, SZ_RECORD_FILES,
             "vorel12a.exe*VOREL12.HTM*ro.txt*keep*..\\victim.txt*" + rooted + "*.*..**" + std::string(300, 'n'));
    QueueAnswers({ IDYES });
    RunUninstaller();
    EXPECT_EQ((std::vector<std::string>{ "keep", "users.txt", "vorel12v.vxd" }), FilesIn(inst.dest));
    EXPECT_TRUE(FileExists(beside));
    EXPECT_TRUE(FileExists(rooted));
    DeleteFileA(rooted.c_str());
    EXPECT_TRUE(FileExists(inst.dest + "keep\\inner.txt"));
    EXPECT_TRUE(GetFileAttributesA((inst.dest + "keep").c_str()) & FILE_ATTRIBUTE_HIDDEN);   // a folder is not touched
    // No attribute reset in the VOREL12 folder: the read-only page stays, and its folder.
    EXPECT_TRUE(FileExists(inst.vorel12 + "\\tandrel.htm"));
    EXPECT_FALSE(FileExists(inst.vorel12 + "\\vorel12s.dll"));
    SetFileAttributesA((inst.vorel12 + "\\tandrel.htm").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(UninstallTest, ARunValueOf99CharactersIsUsedAndOneOf100IsNot)
{
    Installed inst;
    std::string base = inst.root.Path() + "r";
    // The value as setup writes it now, in quotes.
    std::string folder99 = base + std::string(99 - 12 - 3 - base.size(), 'n') + "\\";
    ASSERT_EQ(85u, folder99.size());
    CreateDirectoryA(folder99.c_str(), NULL);
    WriteFileBytes(folder99 + "vorel12a.exe", 5);
    inst.SetRunValue("\"" + folder99 + "vorel12a.exe\"");
    QueueAnswers({ IDYES, IDOK, IDYES });
    RunUninstaller();
    EXPECT_FALSE(FolderExists(folder99));
    std::string folder100 = base + std::string(100 - 12 - 3 - base.size(), 'm') + "\\";
    CreateDirectoryA(folder100.c_str(), NULL);
    WriteFileBytes(folder100 + "vorel12a.exe", 5);
    inst.SetRunValue("\"" + folder100 + "vorel12a.exe\"");
    RunUninstaller();
    EXPECT_TRUE(FileExists(folder100 + "vorel12a.exe"));
    EXPECT_EQ("", ReadRegString(HKEY_LOCAL_MACHINE, SZ_RUN_KEY, SZ_RUN_VALUE));   // still deleted
}

std::string MixedCase(std::string s)
{
    for (size_t i = 0; i < s.size(); i += 2)
        s[i] = (char)(islower((unsigned char)s[i]) ? toupper((unsigned char)s[i]) : tolower((unsigned char)s[i]));
    return s;
}

std::string Doubled(const std::string& s)
{
    std::string out;
    for (char c : s)
        out += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return out;
}

void SetPrograms(const std::string& folder)
{
    HKEY key;
    if (RegOpenKeyA(HKEY_CURRENT_USER, SZ_SHELL_FOLDERS_KEY, &key) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, SZ_PROGRAMS_VALUE, 0, REG_SZ, (const BYTE*)folder.c_str(), (DWORD)folder.size() + 1);
    RegCloseKey(key);
}

// A safety net under the canary test: a guard that fails must not take the
// prefix's Windows folder with it. Only the package's files and the canaries
// are really touched; any other file is recorded and left.
bool PackageFile(LPCSTR path)
{
    std::string p = path;
    for (char& c : p)
        c = (char)tolower((unsigned char)c);
    return p.find("tandrel") != std::string::npos || p.find("vorel12") != std::string::npos;
}

BOOL WINAPI DeletePackageFileOnly(LPCSTR path)
{
    if (PackageFile(path))
        return REAL(DeleteFileA)(path);
    Record("outside: DeleteFileA(%s)", path);
    return FALSE;
}

BOOL WINAPI SetPackageFileAttributesOnly(LPCSTR path, DWORD attributes)
{
    if (PackageFile(path))
        return REAL(SetFileAttributesA)(path, attributes);
    Record("outside: SetFileAttributesA(%s)", path);
    return FALSE;
}

// However the Run value (or the Programs folder) is spelled, a canary file in
// the folder it names stays; only setup's own value clears its folder.
TEST_F(UninstallTest, OnlySetupsOwnFolderIsClearedHoweverTheValueIsSpelled)
{
    HOOK(DeleteFileA, DeletePackageFileOnly);
    HOOK(SetFileAttributesA, SetPackageFileAttributesOnly);
    Installed inst;
    const std::string win = WindowsDir(), sys = SystemDir(), drive = win.substr(0, 2), scratch = inst.root.Path();
    const std::string programs = ReadRegString(HKEY_CURRENT_USER, SZ_SHELL_FOLDERS_KEY, SZ_PROGRAMS_VALUE);
    struct Restore {
        std::string programs;
        ~Restore() { SetPrograms(programs); }
    } restore{ programs };
    struct Row {
        std::string value;
        const char* programs;        // null: as installed
        std::string folder;          // where the canary lies
        bool cleared;
    };
    const Row rows[] = {
        { "", nullptr, drive + "\\", false },
        { "vorel12a.exe", nullptr, scratch, false },
        { "\\vorel12a.exe", nullptr, drive + "\\", false },
        { drive + "\\vorel12a.exe", nullptr, drive + "\\", false },
        { drive + "/\\vorel12a.exe", nullptr, drive + "\\", false },
        { win + "\\vorel12a.exe", nullptr, win, false },
        { win + "\\\\vorel12a.exe", nullptr, win, false },
        { sys + "\\..\\vorel12a.exe", nullptr, win, false },
        { Doubled(sys) + "\\\\vorel12a.exe", nullptr, sys, false },
        { sys + "\\drivers\\\\\\vorel12a.exe", nullptr, sys + "\\drivers", false },
        { win + "\\.\\" + sys.substr(win.size() + 1) + "\\.\\vorel12a.exe", nullptr, sys, false },
        { sys + "\\drivers\\..\\..\\..\\vorel12a.exe", nullptr, drive + "\\", false },
        { MixedCase(win) + "\\vorel12a.exe", nullptr, win, false },
        { MixedCase(sys + "\\drivers") + "\\VOREL12A.EXE", nullptr, sys + "\\drivers", false },
        { win + "..\\vorel12a.exe", nullptr, win, false },            // resolves to "windows.", which is the Windows folder
        { "Rel\\vorel12a.exe", nullptr, scratch + "Rel", false },
        { "\\\\?\\" + win + "\\vorel12a.exe", nullptr, win, false },
        { scratch + "Other\\other.exe", nullptr, scratch + "Other", false },
        { "", "", drive + "\\Tandrel", false },
        { "", "Rel", scratch + "Rel\\Tandrel", false },
        { inst.dest + "vorel12a.exe", nullptr, inst.dest, true },
    };
    const char canary[] = "\\tandrel_canary.txt";
    for (const Row& row : rows) {
        CreateDirectoryA((scratch + "Rel").c_str(), NULL);
        CreateDirectoryA(row.folder.c_str(), NULL);
        WriteFileBytes(row.folder + canary, 5);
        ASSERT_TRUE(FileExists(row.folder + canary)) << row.folder;
        inst.SetRunValue(row.value);
        // The canary is a recorded name: only the guard keeps it.
        SetValue(HKEY_LOCAL_MACHINE, SZ_UNINSTALL_KEY_SETUP, SZ_RECORD_FILES, "vorel12a.exe*tandrel_canary.txt");
        SetValue(HKEY_LOCAL_MACHINE, SZ_UNINSTALL_KEY_SETUP, SZ_RECORD_LINKS, "tandrel_canary.txt");
        SetPrograms(row.programs ? row.programs : programs);
        SetCurrentDirectoryA(scratch.c_str());
        QueueAnswers({ IDYES, IDOK });
        RunUninstaller();
        std::string spelling = "Run value \"" + row.value + "\", Programs \"" + (row.programs ? row.programs : programs) + "\"";
        EXPECT_EQ(!row.cleared, FileExists(row.folder + canary)) << spelling;
        std::vector<std::string> outside = CallsTo("outside");
        EXPECT_TRUE(outside.empty()) << spelling << " reached " << outside.size() << " calls, first " << outside[0];
        DeleteFileA((row.folder + canary).c_str());
        RemoveDirectoryA(row.folder.c_str());
    }
}

TEST_F(UninstallTest, EnumeratorScanDeletesOnlyTheFirstExactMatchBelow0100)
{
    Installed inst(false);
    auto mfg = [](const char* n, const std::string& v) {
        HKEY k;
        RegCreateKeyA(HKEY_LOCAL_MACHINE, (std::string("Enum\\Root\\Keyboard\\") + n).c_str(), &k);
        RegSetValueExA(k, "Mfg", 0, REG_SZ, (const BYTE*)v.c_str(), (DWORD)v.size() + 1);
        RegCloseKey(k);
    };
    mfg("0001", "IDD ACPI10\tkey");     // case differs
    mfg("0002", "IDD ACPI10 Key");      // blank for the TAB
    mfg("0003", "IDD ACPI10\tKey");
    mfg("0007", "IDD ACPI10\tKey");
    mfg("0100", "IDD ACPI10\tKey");
    QueueAnswers({ IDYES });
    RunUninstaller();
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "Enum\\Root\\Keyboard\\0001"));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "Enum\\Root\\Keyboard\\0002"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Enum\\Root\\Keyboard\\0003"));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "Enum\\Root\\Keyboard\\0007"));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "Enum\\Root\\Keyboard\\0100"));
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Enum\\Root\\Keyboard\\0007");
    QueueAnswers({ IDYES });
    RunUninstaller();                     // 0100 alone is never examined
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "Enum\\Root\\Keyboard\\0100"));
}

}  // namespace
