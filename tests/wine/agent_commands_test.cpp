// The main window's command table, the notification icon with its popup
// menu, the single-instance rule and the ways another program ends the agent.
#include "agent_harness.h"
#include <thread>
#include "footprint.h"

namespace {

std::string IconAdd()
{
    char b[256];
    snprintf(b, sizeof b,
             "Shell_NotifyIconA(NIM_ADD, cbSize=%u, hWnd=main, uID=100, uFlags=7, uCallbackMessage=1224, hIcon=icon, szTip=\"Tandrel\")",
             (unsigned)NOTIFYICONDATAA_V1_SIZE);
    return b;
}

std::string IconDelete()
{
    char b[256];
    snprintf(b, sizeof b,
             "Shell_NotifyIconA(NIM_DELETE, cbSize=%u, hWnd=main, uID=100, uFlags=7, uCallbackMessage=1224, hIcon=NULL, szTip=\"Tandrel\")",
             (unsigned)NOTIFYICONDATAA_V1_SIZE);
    return b;
}

LRESULT Command(HWND w, WPARAM wParam, LPARAM lParam = 0)
{
    return SendMessageA(w, WM_COMMAND, wParam, lParam);
}

TEST(IconCommands, ShowTwiceGivesOneIconAndQueryReportsExactlyOneOrZero)
{
    AgentHarness agent;
    HWND w = agent.Start();
    ASSERT_NE((HWND)NULL, w);
    EXPECT_TRUE(CallsTo("Shell_NotifyIconA").empty());     // no icon at start
    EXPECT_EQ(0, Command(w, CMD_QUERY_ICON));
    EXPECT_EQ(0, Command(w, CMD_SHOW_ICON));
    EXPECT_EQ(0, Command(w, CMD_SHOW_ICON));
    EXPECT_EQ(1, Command(w, CMD_QUERY_ICON));
    EXPECT_EQ(std::vector<std::string>{ IconAdd() }, CallsTo("Shell_NotifyIconA"));
    Calls().clear();
    EXPECT_EQ(0, Command(w, CMD_HIDE_ICON));
    EXPECT_EQ(0, Command(w, CMD_QUERY_ICON));
    EXPECT_EQ(0, Command(w, CMD_HIDE_ICON));                // nothing shown: nothing to delete
    EXPECT_EQ(std::vector<std::string>{ IconDelete() }, CallsTo("Shell_NotifyIconA"));
}

TEST(IconCommands, AnonZeroHighWordMatchesNoCommand)
{
    AgentHarness agent;
    HWND w = agent.Start();
    ASSERT_NE((HWND)NULL, w);
    EXPECT_EQ(0, Command(w, MAKEWPARAM(CMD_SHOW_ICON, 1)));
    EXPECT_EQ(0, Command(w, MAKEWPARAM(CMD_QUERY_ICON, 1)));
    EXPECT_EQ(0, Command(w, 999));
    EXPECT_EQ(0, Command(w, CMD_QUERY_ICON));
    EXPECT_TRUE(CallsTo("Shell_NotifyIconA").empty());
}

TEST(IconCommands, MenuItemsSleepAndPowerOffPostThePowerCommand)
{
    AgentHarness agent;
    HWND w = agent.Start();
    ASSERT_NE((HWND)NULL, w);
    OBSERVE(PostMessageA, [](HWND h, UINT m, WPARAM wp, LPARAM lp) {
        Record("PostMessageA(%s, %u, %llu, %lld)", OwnerName(h), m, (unsigned long long)wp, (long long)lp);
    });
    Command(w, CMD_SLEEP);
    Command(w, CMD_POWER_OFF);
    std::vector<std::string> expected = { "PostMessageA(main, 273, 1124, 200)", "PostMessageA(main, 273, 1124, 201)" };
    EXPECT_EQ(expected, CallsTo("PostMessageA"));
}

HWND g_foreground;

BOOL WINAPI RecordingTrack(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner, const RECT* rect)
{
    std::string items;
    for (int i = 0; i < GetMenuItemCount(menu); i++) {
        char text[32] = "";
        MENUITEMINFOA mi = {};
        mi.cbSize = sizeof mi;
        mi.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STRING;
        mi.dwTypeData = text;
        mi.cch = sizeof text;
        GetMenuItemInfoA(menu, i, TRUE, &mi);
        char one[64];
        snprintf(one, sizeof one, "%s%u:%s", i ? " " : "", mi.wID, (mi.fType & MFT_SEPARATOR) ? "-" : text);
        items += one;
    }
    POINT p;
    GetCursorPos(&p);
    Record("TrackPopupMenu(flags=0x%x, at cursor=%d, reserved=%d, owner=%s, rect=%s, foreground first=%d) [%s]", flags,
           x == p.x && y == p.y, reserved, OwnerName(owner), rect ? "set" : "NULL", g_foreground == owner, items.c_str());
    return FALSE;
}

TEST(PopupMenu, RightButtonUpOpensTheSixEntriesInOrder)
{
    AgentHarness agent;
    HWND w = agent.Start();
    ASSERT_NE((HWND)NULL, w);
    HOOK(TrackPopupMenu, RecordingTrack);
    HOOK(SetForegroundWindow, [](HWND h) -> BOOL { g_foreground = h; return TRUE; });
    for (LPARAM ignored : { WM_LBUTTONUP, WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN, WM_RBUTTONDBLCLK, WM_MOUSEMOVE })
        EXPECT_EQ(0, SendMessageA(w, WM_TRAYICON, TRAY_ICON_ID, ignored));
    EXPECT_TRUE(CallsTo("TrackPopupMenu").empty());
    EXPECT_EQ(0, SendMessageA(w, WM_TRAYICON, TRAY_ICON_ID, WM_RBUTTONUP));
    std::vector<std::string> expected = {
        "TrackPopupMenu(flags=0x22, at cursor=1, reserved=0, owner=main, rect=NULL, foreground first=1) "
        "[200:&Sleep 201:Power &Off 301:- 202:&Help 203:&AboutZNV 204:&Property]"
    };
    EXPECT_EQ(expected, CallsTo("TrackPopupMenu"));
}

TEST(Shutdown, WmDestroyFromAnotherThreadEndsTheAgentWithIconRemovedAndChannelStopped)
{
    AgentHarness agent(WIN7);
    std::thread other([] {
        HWND w = NULL;
        for (int i = 0; i < 500 && !w; i++, Sleep(10))
            w = FindWindowA(SZ_AGENT_CLASS, NULL);
        SendMessageA(w, WM_COMMAND, CMD_SHOW_ICON, 0);
        Record("-- other program sends WM_DESTROY");
        SendMessageA(w, WM_DESTROY, 0, 0);
        Record("-- SendMessageA returned");
    });
    EXPECT_EQ(0, WinMain(GetModuleHandleA(NULL), NULL, (LPSTR) "", SW_SHOWNORMAL));
    other.join();
    int sent = IndexOf("-- other program sends WM_DESTROY");
    int removed = IndexOf("Shell_NotifyIconA(NIM_DELETE");
    int stopped = IndexOf("DeviceIoControl(device, 0x220004");
    int returned = IndexOf("-- SendMessageA returned");
    EXPECT_LT(sent, removed);
    EXPECT_LT(removed, stopped);
    EXPECT_LT(stopped, returned);
    EXPECT_EQ(0, g_running);
    EXPECT_EQ((HINSTANCE)NULL, g_instance);
}

TEST(Shutdown, ExitCommandAndWmCloseBothRunTheShutdownSequence)
{
    {
        AgentHarness agent;
        HWND w = agent.Start();
        ASSERT_NE((HWND)NULL, w);
        EXPECT_EQ(0, Command(w, CMD_EXIT));
        EXPECT_EQ(1u, CallsTo("DeviceIoControl(device, 0x220004").size());
        MSG msg;
        EXPECT_TRUE(PeekMessageA(&msg, NULL, WM_QUIT, WM_QUIT, PM_REMOVE));
        EXPECT_EQ(0u, msg.wParam);
        DestroyWindow(w);
    }
    AgentHarness agent;
    HWND w = agent.Start();
    ASSERT_NE((HWND)NULL, w);
    SendMessageA(w, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(w));
    EXPECT_EQ(1u, CallsTo("DeviceIoControl(device, 0x220004").size());
}

TEST(SingleInstance, ASecondCopyPostsAboutToTheFirstAndLeavesTheDriverAlone)
{
    FakeDriver driver;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = AsCallback<WNDPROC>([](HWND h, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_COMMAND)
            Record("first copy got WM_COMMAND %llu, %lld", (unsigned long long)wp, (long long)lp);
        return DefWindowProcA(h, m, wp, lp);
    });
    wc.hInstance = GetModuleHandleA(NULL);
    wc.lpszClassName = SZ_AGENT_CLASS;
    ASSERT_TRUE(RegisterClassA(&wc));
    HWND first = CreateWindowExA(0, SZ_AGENT_CLASS, "first", 0, 0, 0, 0, 0, NULL, NULL, wc.hInstance, NULL);
    ASSERT_NE((HWND)NULL, first);
    EXPECT_EQ(0, WinMain(GetModuleHandleA(NULL), NULL, (LPSTR) "", SW_SHOWNORMAL));
    Pump();
    EXPECT_EQ(std::vector<std::string>{ "first copy got WM_COMMAND 203, 0" }, Calls());
    DestroyWindow(first);
}

}  // namespace
