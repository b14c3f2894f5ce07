// The agent's main window over the fake driver, with the platform family,
// message boxes and the notification area under the test's control.
#ifndef TEST_AGENT_HARNESS_H
#define TEST_AGENT_HARNESS_H
#include <windows.h>
#include <shellapi.h>
#include <gtest/gtest.h>
#include "agent.h"
#include "footprint.h"
#include "support/calllog.h"
#include "support/fakedriver.h"
#include "support/fakeui.h"
#include "support/fakeversion.h"
#include "support/iathook.h"

struct AgentHarness {
    FakeDriver driver;
    HOOK(GetVersionExA, FakeGetVersionExA);
    HOOK(MessageBoxA, FakeMessageBoxA);
    HOOK(Shell_NotifyIconA, FakeShellNotifyIconA);
    HWND window = NULL;

    explicit AgentHarness(FakeOs os = WIN7) { SetFakeOs(os); }

    // Registers the class afresh and creates the main window, which runs the
    // start-up sequence on an empty call log; null when the agent ended itself.
    HWND Start()
    {
        HINSTANCE instance = GetModuleHandleA(NULL);
        UnregisterClassA(SZ_AGENT_CLASS, instance);
        Calls().clear();
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
