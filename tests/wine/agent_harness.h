// The agent's main window over the fake driver, with the platform family,
// message boxes and the notification area under the test's control.
#ifndef TEST_AGENT_HARNESS_H
#define TEST_AGENT_HARNESS_H
#include <windows.h>
#include <shellapi.h>
#include <gtest/gtest.h>
#include "agent.h"
#include "support/calllog.h"
#include "support/fakedriver.h"
#include "support/fakeui.h"
#include "support/fakeversion.h"
#include "support/iathook.h"

IAT_SLOT(GetVersionExA);
IAT_SLOT(MessageBoxA);
IAT_SLOT(Shell_NotifyIconA);

inline BOOL WINAPI FakeShellNotifyIconA(DWORD message, PNOTIFYICONDATAA d)
{
    Record("Shell_NotifyIconA(%s, cbSize=%lu, hWnd=%s, uID=%u, uFlags=%u, uCallbackMessage=%u, hIcon=%s, szTip=%s)",
           message == NIM_ADD ? "NIM_ADD" : message == NIM_DELETE ? "NIM_DELETE" : "other", d->cbSize,
           OwnerName(d->hWnd), d->uID, d->uFlags, d->uCallbackMessage, d->hIcon ? "icon" : "NULL",
           Quote(d->szTip).c_str());
    return TRUE;
}

struct AgentHarness {
    FakeDriver driver;
    IatHook<decltype(&GetVersionExA)> version{ &iat_slot_GetVersionExA, FakeGetVersionExA };
    IatHook<decltype(&MessageBoxA)> box{ &iat_slot_MessageBoxA, FakeMessageBoxA };
    IatHook<decltype(&Shell_NotifyIconA)> tray{ &iat_slot_Shell_NotifyIconA, FakeShellNotifyIconA };
    HWND window = NULL;

    explicit AgentHarness(FakeOs os = WIN7) { SetFakeOs(os); }

    // Registers the class and creates the main window, which runs the
    // start-up sequence; null when the agent ended itself.
    HWND Start()
    {
        HINSTANCE instance = GetModuleHandleA(NULL);
        EXPECT_TRUE(RegisterAgentClass(instance));
        SetMainWindowForLog(&g_mainWindow);
        window = CreateAgentWindow(instance);
        return window;
    }

    ~AgentHarness()
    {
        if (window && IsWindow(window))
            DestroyWindow(window);
    }
};

// Dispatches what is queued for this thread.
inline void Pump(DWORD ms = 0)
{
    DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (ms)
            Sleep(5);
    } while (GetTickCount() - start < ms);
}

#endif
