// The whole removal against a footprint laid out in the prefix: the
// question, the order of the steps, what stays, and the final message.
#include "uninstall_harness.h"

IAT_SLOT(GetVersionExA);
IAT_SLOT(MessageBoxA);

namespace {

const char CONFIRM[] = "MessageBoxA(owner=NULL, \"Do you really want to uninstall this program.\", \"Tandrel\", flags=0x50024)";
const char DONE_NT[] = "MessageBoxA(owner=NULL, \"All the Tandrel files are removed. But the Uninstallation will take effects until you restart the system.\", \"Tandrel\", flags=0x50000)";
const char DONE_9X[] = "MessageBoxA(owner=NULL, \"This program has been uninstalled successfully.\", \"Tandrel\", flags=0x50000)";

struct UninstallTest : ::testing::Test {
    IatHook<decltype(&GetVersionExA)> version{ &iat_slot_GetVersionExA, FakeGetVersionExA };
    IatHook<decltype(&MessageBoxA)> box{ &iat_slot_MessageBoxA, FakeMessageBoxA };
};

TEST_F(UninstallTest, NoLeavesEverythingAndShowsOneBox)
{
    Installed inst;
    QueueAnswers({ IDNO });
    EXPECT_EQ(0, RunUninstaller());
    EXPECT_EQ(std::vector<std::string>{ CONFIRM }, CallsTo("MessageBoxA"));
    EXPECT_TRUE(FileExists(inst.dest + "vorel12a.exe"));
    EXPECT_TRUE(FileExists(inst.menu + "\\Tandrel About.lnk"));
    EXPECT_EQ(inst.dest + "vorel12a.exe", ReadRegString(HKEY_LOCAL_MACHINE, SZ_RUN_KEY, SZ_RUN_VALUE));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, SZ_UNINSTALL_KEY));
    EXPECT_TRUE(FileExists(SystemDir() + "\\Drivers\\vorel12s.sys"));
    SC_HANDLE scm = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    SC_HANDLE s = OpenServiceA(scm, SZ_SERVICE, SERVICE_QUERY_STATUS);
    EXPECT_NE((SC_HANDLE)NULL, s);
    CloseServiceHandle(s);
    CloseServiceHandle(scm);
}

TEST_F(UninstallTest, NtRemovesTheFootprintInTheFixedOrder)
{
    SetFakeOs(NT4);
    Installed inst;
    RemovalRecorder rec;
    QueueAnswers({ IDYES });
    EXPECT_EQ(0, RunUninstaller());
    std::string sys = SystemDir();
    std::vector<int> order = {
        IndexOf(CONFIRM),
        IndexOf("DeleteFileA(" + inst.dest.substr(0, inst.dest.size() - 1) + "\\\\vorel12a.exe)"),
        IndexOf("RemoveDirectoryA(" + inst.dest + ")"),
        IndexOf("DeleteFileA(" + inst.menu + "\\Tandrel About.lnk)"),
        IndexOf("RemoveDirectoryA(" + inst.menu + ")"),
        IndexOf("RegDeleteValueA(VOREL12)"),
        IndexOf("RegDeleteKeyA(HKLM\\" + std::string(SZ_UNINSTALL_KEY) + ")"),
        IndexOf("RegDeleteKeyA(HKCR\\" + std::string(SZ_CLSID_KEY) + ")"),
        IndexOf("RegDeleteKeyA(HKLM\\" + std::string(SZ_PROPSHEET_KEY) + ")"),
        IndexOf("OpenSCManagerA(0xf003f)"),
        IndexOf("LockServiceDatabase"),
        IndexOf("DeleteService"),
        IndexOf("DeleteFileA(" + sys + "\\Drivers\\vorel12s.sys)"),
        IndexOf("RegFlushKey(HKLM)"),
        IndexOf("DeleteFileA(" + sys + "\\VOREL12\\tandrel.htm)"),
        IndexOf("DeleteFileA(" + sys + "\\VOREL12\\vorel12a.exe)"),
        IndexOf("RemoveDirectoryA(" + sys + "\\VOREL12\\)"),
        IndexOf(DONE_NT),
    };
    for (size_t i = 0; i < order.size(); i++) {
        EXPECT_GE(order[i], 0) << "step " << i << " missing";
        if (i)
            EXPECT_LT(order[i - 1], order[i]) << "step " << i << " out of order";
    }
    EXPECT_EQ(2u, CallsTo("DeleteFileA(" + sys + "\\Drivers\\vorel12s.sys)").size());
    EXPECT_EQ(3u, CallsTo("DeleteFileA(" + sys + "\\VOREL12\\vorel12s.dll)").size());
    EXPECT_EQ(2u, CallsTo("MessageBoxA").size());
    EXPECT_FALSE(FolderExists(inst.dest));
    EXPECT_FALSE(FolderExists(inst.menu));
    EXPECT_FALSE(FolderExists(inst.vorel12));
    EXPECT_FALSE(FileExists(sys + "\\Drivers\\vorel12s.sys"));
    EXPECT_TRUE(FileExists(sys + "\\vorel12u.exe"));          // its own file stays
    EXPECT_EQ("", ReadRegString(HKEY_LOCAL_MACHINE, SZ_RUN_KEY, SZ_RUN_VALUE));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, SZ_UNINSTALL_KEY));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, SZ_CLSID_KEY));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, SZ_PROPSHEET_KEY));
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
}

TEST_F(UninstallTest, ASecondRunFindsNothingAndStillShowsTheFinalMessage)
{
    SetFakeOs(WIN7);
    Installed inst(false);
    QueueAnswers({ IDYES, IDOK, IDYES });
    EXPECT_EQ(0, RunUninstaller());
    Calls().clear();
    EXPECT_EQ(0, RunUninstaller());
    std::vector<std::string> expected = { CONFIRM, DONE_NT };
    EXPECT_EQ(expected, CallsTo("MessageBoxA"));
}

TEST_F(UninstallTest, ASubfolderStaysAndKeepsItsFolderWhileFilesOfAnyAttributeGo)
{
    Installed inst;
    CreateDirectoryA((inst.dest + "keep").c_str(), NULL);
    WriteFileBytes(inst.dest + "keep\\inner.txt", 5);
    WriteFileBytes(inst.dest + "ro.txt", 5, FILE_ATTRIBUTE_READONLY);
    WriteFileBytes(inst.dest + "hidden.txt", 5, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    WriteFileBytes(inst.vorel12 + "\\tandrel.htm", 5, FILE_ATTRIBUTE_READONLY);
    QueueAnswers({ IDYES });
    RunUninstaller();
    EXPECT_EQ(std::vector<std::string>{ "keep" }, FilesIn(inst.dest));
    EXPECT_TRUE(FileExists(inst.dest + "keep\\inner.txt"));
    // No attribute reset in the VOREL12 folder: the read-only page stays, and its folder.
    EXPECT_TRUE(FileExists(inst.vorel12 + "\\tandrel.htm"));
    EXPECT_FALSE(FileExists(inst.vorel12 + "\\vorel12s.dll"));
    SetFileAttributesA((inst.vorel12 + "\\tandrel.htm").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(UninstallTest, ARunValueOf99CharactersIsUsedAndOneOf100IsNot)
{
    Installed inst;
    std::string base = inst.root.Path() + "r";
    std::string folder99 = base + std::string(99 - 12 - 1 - base.size(), 'n') + "\\";
    ASSERT_EQ(87u, folder99.size());
    CreateDirectoryA(folder99.c_str(), NULL);
    WriteFileBytes(folder99 + "vorel12a.exe", 5);
    inst.SetRunValue(folder99 + "vorel12a.exe");
    QueueAnswers({ IDYES, IDOK, IDYES });
    RunUninstaller();
    EXPECT_FALSE(FolderExists(folder99));
    std::string folder100 = base + std::string(100 - 12 - 1 - base.size(), 'm') + "\\";
    CreateDirectoryA(folder100.c_str(), NULL);
    WriteFileBytes(folder100 + "vorel12a.exe", 5);
    inst.SetRunValue(folder100 + "vorel12a.exe");
    RunUninstaller();
    EXPECT_TRUE(FileExists(folder100 + "vorel12a.exe"));
    EXPECT_EQ("", ReadRegString(HKEY_LOCAL_MACHINE, SZ_RUN_KEY, SZ_RUN_VALUE));   // still deleted
}

TEST_F(UninstallTest, NoFolderOutsideTheInstallationIsCleared)
{
    Installed inst;
    std::string drive = "C:\\", windows = WindowsDir() + "\\", system = SystemDir() + "\\";
    const char canary[] = "tandrel_canary.txt";
    for (const std::string& f : { drive, windows, system })
        WriteFileBytes(f + canary, 5);
    for (const std::string& value : { std::string(""), std::string("vorel12a.exe"), std::string("\\vorel12a.exe"),
                                      drive + "vorel12a.exe", windows + "vorel12a.exe", system + "vorel12a.exe",
                                      std::string("c:\\WINDOWS\\vorel12a.exe") }) {
        inst.SetRunValue(value);
        QueueAnswers({ IDYES, IDOK });
        RunUninstaller();
        for (const std::string& f : { drive, windows, system })
            EXPECT_TRUE(FileExists(f + canary)) << "value \"" << value << "\" cleared " << f;
    }
    for (const std::string& f : { drive, windows, system })
        DeleteFileA((f + canary).c_str());
    EXPECT_TRUE(FileExists(inst.dest + "vorel12a.exe"));
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
    Calls().clear();
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Enum\\Root\\Keyboard\\0007");
    QueueAnswers({ IDYES });
    RunUninstaller();                     // 0100 alone is never examined
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "Enum\\Root\\Keyboard\\0100"));
}

}  // namespace
