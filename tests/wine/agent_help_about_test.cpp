// Help page, keyboard control panel and the About box.
#include "agent_harness.h"
#include <thread>
#include "resource.h"

namespace {

struct HelpTest : ::testing::Test {
    AgentHarness agent;
    HOOK(GetSystemDirectoryA, FakeDirectoryA);
    HOOK(GetWindowsDirectoryA, FakeDirectoryA);
    HOOK(ShellExecuteA, FakeShellExecuteA);
    HOOK(WinExec, FakeWinExec);
    void SetUp() override { ASSERT_NE((HWND)NULL, agent.Start()); Calls().clear(); }
    void Send(WPARAM cmd) { EXPECT_EQ(0, SendMessageA(agent.window, WM_COMMAND, cmd, 0)); }
};

TEST_F(HelpTest, HelpOpensThePageUnderTheSystemFolderWithVerbOpen)
{
    g_fakeDirectory = "C:\\WINNT\\system32";
    Send(CMD_HELP);
    EXPECT_EQ(std::vector<std::string>{ "ShellExecuteA(owner=main, \"Open\", \"C:\\WINNT\\system32\\vorel12\\tandrel.htm\", NULL, NULL, 5)" },
              CallsTo("ShellExecuteA"));
}

TEST_F(HelpTest, HelpWithADirectoryThatFillsTheBufferExactlyAndOneOver)
{
    // 80 characters hold the directory, "\vorel12\tandrel.htm" (20) and the NUL.
    g_fakeDirectory = "C:\\" + std::string(56, 'd');            // 59 characters
    Send(CMD_HELP);
    EXPECT_EQ(std::vector<std::string>{ "directory asked with room 60" }, CallsTo("directory"));
    ASSERT_EQ(1u, CallsTo("ShellExecuteA").size());
    EXPECT_NE(std::string::npos, CallsTo("ShellExecuteA")[0].find(g_fakeDirectory + "\\vorel12\\tandrel.htm"));
    Calls().clear();
    g_fakeDirectory += "d";                                       // 60: does not fit, nothing is opened
    Send(CMD_HELP);
    EXPECT_TRUE(CallsTo("ShellExecuteA").empty());
}

TEST_F(HelpTest, PropertyRunsControlKeyboardFromTheFamilysFolder)
{
    SetFakeOs(WIN98);
    g_fakeDirectory = "C:\\WINDOWS";
    Send(CMD_PROPERTY);
    SetFakeOs(NT4);
    g_fakeDirectory = "C:\\WINNT\\system32";
    Send(CMD_PROPERTY);
    // Quoted: a blank in the folder cannot start another program.
    char cwd[MAX_PATH];
    GetCurrentDirectoryA(sizeof cwd, cwd);
    std::vector<std::string> expected = { "WinExec(\"\"C:\\WINDOWS\\control.exe\" keyboard\", 5) in " + std::string(cwd),
                                          "WinExec(\"\"C:\\WINNT\\system32\\control.exe\" keyboard\", 5) in " + std::string(cwd) };
    EXPECT_EQ(expected, CallsTo("WinExec"));
}

TEST_F(HelpTest, PropertyWithATooLongDirectoryRunsNothing)
{
    g_fakeDirectory = std::string(56, 'w');              // 1 + 56 + 22 + NUL = 80: fits
    Send(CMD_PROPERTY);
    g_fakeDirectory += "w";
    Send(CMD_PROPERTY);
    EXPECT_EQ(1u, CallsTo("WinExec").size());
    EXPECT_EQ(std::vector<std::string>(2, "directory asked with room 57"), CallsTo("directory"));
}

// Finds the About boxes owned by the main window.
std::vector<HWND> AboutBoxes(HWND main)
{
    struct Ctx { HWND main; std::vector<HWND> found; } ctx{ main, {} };
    EnumWindows(AsCallback<WNDENUMPROC>([](HWND h, LPARAM p) -> BOOL {
        auto* c = (Ctx*)p;
        char cls[32], title[32];
        GetClassNameA(h, cls, sizeof cls);
        GetWindowTextA(h, title, sizeof title);
        if (std::string(cls) == "#32770" && std::string(title) == "Tandrel" && GetWindow(h, GW_OWNER) == c->main &&
            IsWindowVisible(h))
            c->found.push_back(h);
        return TRUE;
    }), (LPARAM)&ctx);
    return ctx.found;
}

std::vector<HWND> WaitForAbout(HWND main, size_t count)
{
    std::vector<HWND> boxes;
    for (int i = 0; i < 500 && boxes.size() < count; i++, Sleep(10))
        boxes = AboutBoxes(main);
    return boxes;
}

TEST(AboutBox, IsCentredTopmostAndOkEndsIt)
{
    AgentHarness agent;
    HWND main = agent.Start();
    ASSERT_NE((HWND)NULL, main);
    struct Seen { RECT rect; RECT client; LONG exStyle; std::string texts; int focusIsOk; } seen{};
    std::thread ui([&] {
        auto boxes = WaitForAbout(main, 1);
        if (boxes.empty())
            return;
        HWND box = boxes[0];
        GetWindowRect(box, &seen.rect);
        GetClientRect(box, &seen.client);
        seen.exStyle = GetWindowLongA(box, GWL_EXSTYLE);
        for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            char t[64];
            GetWindowTextA(c, t, sizeof t);
            seen.texts += std::string(t) + "|";
        }
        PostMessageA(GetDlgItem(box, IDC_ABOUT_OK), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(0, SendMessageA(main, WM_COMMAND, CMD_ABOUT, 0));   // returns when the box has ended
    ui.join();
    EXPECT_TRUE(AboutBoxes(main).empty());
    EXPECT_EQ("Tandrel|Tandrel Driver.|Version V2.01|Copyright (C) Ossivane.|All rights reserved.|&OK|", seen.texts);
    EXPECT_TRUE(seen.exStyle & WS_EX_TOPMOST);
    HDC ic = CreateICA("DISPLAY", NULL, NULL, NULL);
    int W = GetDeviceCaps(ic, HORZRES), H = GetDeviceCaps(ic, VERTRES);
    DeleteDC(ic);
    int c = GetSystemMetrics(SM_CYSIZE);
    int w = seen.rect.right - seen.rect.left, h = seen.rect.bottom - seen.rect.top;
    // The window is resized to the client width and the client height plus c,
    // measured before the resize.
    EXPECT_EQ((W - w) / 2, seen.rect.left);
    EXPECT_EQ((H - (h - c) - c) / 2, seen.rect.top);
}

TEST(AboutBox, EscapeEndsItLikeOkAndASecondCommandStacksASecondBox)
{
    AgentHarness agent;
    HWND main = agent.Start();
    ASSERT_NE((HWND)NULL, main);
    size_t most = 0;
    std::thread ui([&] {
        if (WaitForAbout(main, 1).empty())
            return;
        PostMessageA(main, WM_COMMAND, CMD_ABOUT, 0);            // as a second copy of the agent does
        auto boxes = WaitForAbout(main, 2);
        most = boxes.size();
        for (HWND b : boxes) {
            PostMessageA(b, WM_COMMAND, IDCANCEL, 0);             // Esc or the close box
            Sleep(200);
        }
    });
    SendMessageA(main, WM_COMMAND, CMD_ABOUT, 0);
    ui.join();
    Pump(200);
    EXPECT_EQ(2u, most);
    EXPECT_TRUE(AboutBoxes(main).empty());
}

TEST(AboutBox, ASecondCopyThatCannotReachTheFirstShowsTheBoxItselfAndEndsWithIt)
{
    // The running copy is elevated and this one is not: Windows drops the post.
    FakeDriver driver;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.lpszClassName = SZ_AGENT_CLASS;
    ASSERT_TRUE(RegisterClassA(&wc));
    static HWND first;
    first = CreateWindowExA(0, SZ_AGENT_CLASS, "first", 0, 0, 0, 0, 0, NULL, NULL, wc.hInstance, NULL);
    HOOK(PostMessageA, [](HWND h, UINT m, WPARAM wp, LPARAM lp) -> BOOL {
        if (h != first)
            return REAL(PostMessageA)(h, m, wp, lp);
        Record("PostMessageA(first, %u, %llu)", m, (unsigned long long)wp);
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    });
    bool shown = false, free = false;
    std::thread ui([&] {
        auto boxes = WaitForAbout(NULL, 1);
        if (boxes.empty())
            return;
        shown = true;
        // An agent starting at logon meanwhile must not wait on this copy.
        HANDLE lock = OpenMutexA(SYNCHRONIZE, FALSE, SZ_AGENT_LOCK);
        free = lock && WaitForSingleObject(lock, 0) == WAIT_OBJECT_0;
        if (free)
            ReleaseMutex(lock);
        if (lock)
            CloseHandle(lock);
        PostMessageA(GetDlgItem(boxes[0], IDC_ABOUT_OK), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(0, WinMain(GetModuleHandleA(NULL), NULL, (LPSTR) "", SW_SHOWNORMAL));   // returns once it is closed
    ui.join();
    EXPECT_TRUE(shown);
    EXPECT_TRUE(free);
    EXPECT_TRUE(AboutBoxes(NULL).empty());
    EXPECT_EQ(std::vector<std::string>{ "PostMessageA(first, 273, 203)" }, Calls());
    DestroyWindow(first);
    UnregisterClassA(SZ_AGENT_CLASS, wc.hInstance);
}

}  // namespace
