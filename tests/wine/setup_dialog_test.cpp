// The setup dialog driven from another thread while it runs in its own
// modal loop: initial texts, the warning, the install with progress and
// both endings.
#include "setup_harness.h"
#include <atomic>
#include <commctrl.h>
#include <thread>
#include "resource.h"
#include "sizetext.h"

namespace {

LRESULT WINAPI RecordingSend(HWND h, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == PBM_SETPOS)
        Record("PBM_SETPOS %llu", (unsigned long long)wp);
    if (msg == PBM_SETRANGE)
        Record("PBM_SETRANGE %u-%u", LOWORD(lp), HIWORD(lp));
    return REAL(SendMessageA)(h, msg, wp, lp);
}

HWND WaitForDialog(const char* title, DWORD ms = 10000)
{
    for (DWORD t = 0; t < ms; t += 10, Sleep(10)) {
        HWND w = FindWindowA("#32770", title);
        if (w && IsWindowVisible(w))
            return w;
    }
    return NULL;
}

std::string Text(HWND dlg, int id)
{
    char buf[300] = "";
    GetWindowTextA(GetDlgItem(dlg, id), buf, sizeof buf);
    return buf;
}

// Reads the text without sending WM_GETTEXT, which would wait for the
// dialog's thread while it is busy installing.
std::string TextNow(HWND dlg, int id)
{
    WCHAR wide[300] = L"";
    InternalGetWindowText(GetDlgItem(dlg, id), wide, 300);
    char buf[600] = "";
    WideCharToMultiByte(CP_ACP, 0, wide, -1, buf, sizeof buf, NULL, NULL);
    return buf;
}

void Click(HWND dlg, int id)
{
    PostMessageA(GetDlgItem(dlg, id), BM_CLICK, 0, 0);
}

const char TITLE[] = "Ossivane Multimedia Keyboard Driver Setup";

struct DialogTest : ::testing::Test {
    SetupHarness p{ WIN98 };
    HOOK(SendMessageA, RecordingSend);
    void SetUp() override
    {
        p.AddFile("Files\\vorel12a.exe", 3000);
        p.AddFile("Files\\vorel12.htm", 1500);
        p.AddFile("Files\\extra1.bin", 1200);
        p.AddFile("Files\\extra2.bin", 1200);
        p.AddFile("Kernel\\vorel12s.sys", 4096);
        p.AddFile("Uninst\\vorel12u.exe", 2500);
    }
    std::string DestTyped() { return p.dest.substr(0, p.dest.size() - 1); }
};

TEST_F(DialogTest, ShowsTheFoldersAndSpacesThenInstallsWithProgressAndStartsTheAgent)
{
    // A fixed figure: the real one moves whenever anything else writes to the disk.
    HOOK(GetDiskFreeSpaceA, FakeFreeSpace);
    g_freeBytes = 68103040ull * 1024 + 1023;       // whole 64 KiB clusters, as the fake counts them
    struct Seen {
        std::string source, dest, free, needed, group;
        bool found = false, disabledDuring = false, changeEnabledDuring = false;
    } seen;
    DWORD start = GetTickCount();
    DWORD shownAfter = 0;
    std::thread ui([&] {
        HWND dlg = WaitForDialog(TITLE);
        if (!dlg)
            return;
        shownAfter = GetTickCount() - start;
        seen.found = true;
        seen.source = Text(dlg, IDC_SOURCE_DIR);
        seen.dest = Text(dlg, IDC_DEST_DIR);
        seen.free = Text(dlg, IDC_FREE_SPACE);
        seen.needed = Text(dlg, IDC_NEEDED_SPACE);
        SetWindowTextA(GetDlgItem(dlg, IDC_DEST_DIR), DestTyped().c_str());
        Click(dlg, IDC_OK);
        for (int i = 0; i < 300 && IsWindow(dlg); i++, Sleep(5)) {
            std::string group = TextNow(dlg, IDC_PROGRESS_GROUP);
            if (group.rfind("Copy ", 0) == 0) {
                seen.disabledDuring = !IsWindowEnabled(GetDlgItem(dlg, IDC_OK)) && !IsWindowEnabled(GetDlgItem(dlg, IDC_CANCEL));
                seen.changeEnabledDuring = IsWindowEnabled(GetDlgItem(dlg, IDC_CHANGE));
                seen.group = group;
                break;
            }
        }
    });
    EXPECT_EQ(0, p.Run(""));
    ui.join();
    ASSERT_TRUE(seen.found);
    EXPECT_GE(shownAfter, 450u);
    EXPECT_EQ(p.source, seen.source);
    EXPECT_EQ("C:\\Tandrel\\", seen.dest);
    EXPECT_EQ("68,103,040K Bytes", seen.free);
    EXPECT_EQ(1u, CallsTo("GetDiskFreeSpaceA(\"C:\\\")").size());
    EXPECT_EQ("12K Bytes", seen.needed);     // 6900 / 1000 + 4096 / 1000 + 2500 / 1000
    EXPECT_TRUE(seen.disabledDuring);
    EXPECT_TRUE(seen.changeEnabledDuring);
    EXPECT_EQ(0u, seen.group.rfind("Copy " + p.source + "Files\\", 0)) << seen.group;
    // Range 0-100, then per file (1024-byte units against 14 thousand), then 100.
    std::vector<std::string> bar = CallsTo("PBM_");
    ASSERT_GE(bar.size(), 3u);
    EXPECT_EQ("PBM_SETRANGE 0-100", bar[0]);
    EXPECT_EQ("PBM_SETPOS 0", bar[1]);
    EXPECT_EQ("PBM_SETPOS 100", bar.back());
    EXPECT_EQ(7u, bar.size());               // range, 0, four files, 100
    EXPECT_EQ((std::vector<std::string>{ "extra1.bin", "extra2.bin", "vorel12.htm", "vorel12a.exe" }), FilesIn(p.dest));
    EXPECT_EQ(std::vector<std::string>{ "MessageBoxA(owner=other, \"The setup is completed.\\nPlease click OK to start loading driver.\\n\", \"Tandrel Setup\", flags=0x40)" },
              CallsTo("MessageBoxA"));
    int box = IndexOf("MessageBoxA");
    int exec = IndexOf("WinExec");
    EXPECT_GT(exec, box);
    EXPECT_EQ("\"" + p.dest + "vorel12a.exe\"", ReadRegString(HKEY_LOCAL_MACHINE, SZ_RUN_KEY, SZ_RUN_VALUE));
}

// Types the folder, presses OK, and waits for the box it answers with.
size_t TypeAndConfirm(HWND dlg, const std::string& folder)
{
    size_t before = CallsTo("MessageBoxA").size();
    SetWindowTextA(GetDlgItem(dlg, IDC_DEST_DIR), folder.c_str());
    Click(dlg, IDC_OK);
    for (int i = 0; i < 300 && CallsTo("MessageBoxA").size() == before; i++)
        Sleep(10);
    return CallsTo("MessageBoxA").size() - before;
}

const char BAD_DESTINATION_BOX[] =
    "MessageBoxA(owner=other, \"Please enter the correct destination directory.\", \"Choose Directory\", flags=0x30)";

TEST_F(DialogTest, AFolderThatCannotBeInstalledWholeWarnsAndKeepsTheDialogReadyForAnother)
{
    std::string base = p.root.Path() + "d";
    std::string longest = base + std::string(84 - base.size(), 'x');     // 85 with its backslash
    // A root and the Windows folder: the removal would not clear them.
    const std::vector<std::string> refused = { "", longest + "x", base + "Bad?Name", "Tools", base + "\"q\"", "C:\\",
                                               WindowsDir() };
    std::vector<bool> readyAfter;
    std::thread ui([&] {
        HWND dlg = WaitForDialog(TITLE);
        if (!dlg)
            return;
        for (const std::string& folder : refused) {
            TypeAndConfirm(dlg, folder);
            readyAfter.push_back(IsWindowVisible(dlg) && IsWindowEnabled(GetDlgItem(dlg, IDC_OK)) &&
                                 IsWindowEnabled(GetDlgItem(dlg, IDC_CANCEL)));
        }
        TypeAndConfirm(dlg, "\\\\server\\share\\Tandrel");
        TypeAndConfirm(dlg, longest);
    });
    EXPECT_EQ(0, p.Run(""));
    ui.join();
    EXPECT_EQ(std::vector<bool>(refused.size(), true), readyAfter);
    std::vector<std::string> boxes = CallsTo("MessageBoxA");
    ASSERT_EQ(refused.size() + 2, boxes.size());
    for (size_t i = 0; i < refused.size(); i++)
        EXPECT_EQ(BAD_DESTINATION_BOX, boxes[i]) << refused[i];
    EXPECT_EQ("MessageBoxA(owner=other, \"Tandrel cannot be installed on a network drive. Choose a folder on a local "
              "drive.\", \"Choose Directory\", flags=0x30)",
              boxes[refused.size()]);
    EXPECT_EQ(0u, boxes.back().find("MessageBoxA(owner=other, \"The setup is completed."));
    // Only the folder that fits was installed into, and whole.
    EXPECT_FALSE(FolderExists("C:\\Tandrel"));
    EXPECT_FALSE(FolderExists(base + "Bad"));
    EXPECT_EQ("\"" + longest + "\\vorel12a.exe\"", ReadRegString(HKEY_LOCAL_MACHINE, SZ_RUN_KEY, SZ_RUN_VALUE));
    EXPECT_EQ((std::vector<std::string>{ "extra1.bin", "extra2.bin", "vorel12.htm", "vorel12a.exe" }), FilesIn(longest));
    EXPECT_EQ(3u, FilesIn(LinkFolder()).size());
    EXPECT_EQ(std::vector<std::string>{ "WinExec(\"\"" + longest + "\\vorel12a.exe\"\", 1) in " + WindowsDir() },
              CallsTo("WinExec"));
    DeleteTree(longest);
}

TEST_F(DialogTest, WithoutItsOwnFolderTheDialogInstallsNothing)
{
    // Setup's path does not fit its 200 bytes: the source box stays empty and
    // OK answers with the destination warning, whatever the folder.
    g_fakeModulePath = p.root.Path() + std::string(200 - p.root.Path().size(), 'm');
    std::string source = "unread";
    std::thread ui([&] {
        HWND dlg = WaitForDialog(TITLE);
        if (!dlg)
            return;
        source = Text(dlg, IDC_SOURCE_DIR);
        TypeAndConfirm(dlg, DestTyped());
        Click(dlg, IDC_CANCEL);
    });
    EXPECT_EQ(ERROR_INSTALL_USEREXIT, p.Run(""));
    ui.join();
    EXPECT_EQ("", source);
    EXPECT_EQ(std::vector<std::string>{ BAD_DESTINATION_BOX }, CallsTo("MessageBoxA"));
    EXPECT_FALSE(FolderExists(p.dest));
    EXPECT_EQ("", ReadRegString(HKEY_LOCAL_MACHINE, SZ_RUN_KEY, SZ_RUN_VALUE));
    EXPECT_TRUE(CallsTo("WinExec").empty());
}

TEST_F(DialogTest, EscapeDoesNothingAndTheCloseBoxEndsWithoutInstalling)
{
    std::atomic<bool> stillThere{ false };
    std::thread ui([&] {
        HWND dlg = WaitForDialog(TITLE);
        if (!dlg)
            return;
        PostMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
        PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDC_OK, EN_CHANGE), 0);   // not a click
        Sleep(300);
        stillThere = IsWindow(dlg) && IsWindowVisible(dlg);
        PostMessageA(dlg, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(ERROR_INSTALL_USEREXIT, p.Run(""));
    ui.join();
    EXPECT_TRUE(stillThere);
    EXPECT_TRUE(CallsTo("MessageBoxA").empty());
    EXPECT_FALSE(FolderExists("C:\\Tandrel"));
    EXPECT_EQ("", ReadRegString(HKEY_LOCAL_MACHINE, SZ_RUN_KEY, SZ_RUN_VALUE));
}

// A close queued during the install is refused: the final box stays until
// it is answered, and is not destroyed with the dialog that owns it.
TEST_F(DialogTest, ACloseDuringTheInstallLeavesTheFinalBoxForTheUser)
{
    OBSERVE(MessageBoxA, [](HWND, LPCSTR text, LPCSTR, UINT) { Record("box %s", text); });
    bool stayed = false;
    std::thread ui([&] {
        HWND dlg = WaitForDialog(TITLE);
        if (!dlg)
            return;
        SetWindowTextA(GetDlgItem(dlg, IDC_DEST_DIR), DestTyped().c_str());
        Click(dlg, IDC_OK);
        PostMessageA(dlg, WM_CLOSE, 0, 0);          // behind the click: handled once the install runs
        HWND box = WaitForDialog("Tandrel Setup");
        Sleep(300);
        stayed = box && IsWindowVisible(box);
        PostMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(0, p.Run(""));
    ui.join();
    EXPECT_TRUE(stayed);
    EXPECT_EQ(1u, CallsTo("box The setup is completed.").size());
    EXPECT_EQ(1u, CallsTo("WinExec").size());
}

TEST_F(DialogTest, OnNt5TheRestartQuestionAnsweredNoStartsNothing)
{
    for (FakeOs os : { WIN2K, WINXP, WIN2003 }) {          // any minor version counts as 5
        SetFakeOs(os);
        QueueAnswers({ IDNO });
        std::thread ui([&] {
            HWND dlg = WaitForDialog(TITLE);
            if (!dlg)
                return;
            SetWindowTextA(GetDlgItem(dlg, IDC_DEST_DIR), (DestTyped() + "\\").c_str());
            Click(dlg, IDC_OK);
        });
        EXPECT_EQ(ERROR_SUCCESS_REBOOT_REQUIRED, p.Run(""));
        ui.join();
        std::vector<std::string> boxes = CallsTo("MessageBoxA");
        ASSERT_EQ(1u, boxes.size()) << os.minor;
        EXPECT_EQ(0u, boxes[0].find("MessageBoxA(owner=NULL, \"Setup has finished copying files to your computer."));
        EXPECT_NE(std::string::npos, boxes[0].find("\\n\\nChoose Yes to restart your computer now or choose No to restart later.\", \"Tandrel Setup\", flags=0x40024)"));
        EXPECT_TRUE(CallsTo("WinExec").empty()) << os.minor;
        EXPECT_TRUE(CallsTo("ExitWindowsEx").empty());
        EXPECT_EQ("\"" + p.dest + "vorel12a.exe\"", ReadRegString(HKEY_LOCAL_MACHINE, SZ_RUN_KEY, SZ_RUN_VALUE));
        RemoveFootprint(p.dest);
    }
}

TEST_F(DialogTest, OnNt5YesRestartsWithEwxReboot)
{
    SetFakeOs(WIN2K);
    // A restart that Windows refuses is still due: 3010, not 1641.
    for (BOOL taken : { TRUE, FALSE }) {
        g_exitWindowsResult = taken;
        QueueAnswers({ IDYES });
        std::thread ui([&] {
            HWND dlg = WaitForDialog(TITLE);
            if (dlg) {
                SetWindowTextA(GetDlgItem(dlg, IDC_DEST_DIR), DestTyped().c_str());
                Click(dlg, IDC_OK);
            }
        });
        EXPECT_EQ(taken ? ERROR_SUCCESS_REBOOT_INITIATED : ERROR_SUCCESS_REBOOT_REQUIRED, p.Run(""));
        ui.join();
        EXPECT_EQ(std::vector<std::string>{ "ExitWindowsEx(2, 0)" }, CallsTo("ExitWindowsEx"));
        EXPECT_TRUE(CallsTo("WinExec").empty());
    }
    g_exitWindowsResult = TRUE;
}

}  // namespace
