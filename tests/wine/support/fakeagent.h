// A running agent for the closing of agents: its window on a thread of its
// own, its "process" the event it sets when it has ended.
#ifndef TEST_FAKEAGENT_H
#define TEST_FAKEAGENT_H
#include <windows.h>
#include <thread>
#include "calllog.h"
#include "footprint.h"

// An agent window on a thread of its own; "its process" is an event that the
// window sets when it has ended. On WM_DESTROY it may keep a box open for a
// while (answering messages, as a message box does), then stop answering,
// before it ends; or it may not answer at all from the start.
struct FakeAgent {
    HANDLE ended = CreateEventA(NULL, TRUE, FALSE, NULL);
    DWORD boxMs, hangMs;
    bool hungFromStart;
    std::thread thread;
    HWND window = NULL;
    // A file the agent holds open while it runs, as a program holds its own.
    HANDLE file = INVALID_HANDLE_VALUE;
    explicit FakeAgent(DWORD box = 0, DWORD hang = 0, bool hung = false) : boxMs(box), hangMs(hang), hungFromStart(hung)
    {
        HANDLE ready = CreateEventA(NULL, TRUE, FALSE, NULL);
        thread = std::thread([this, ready] {
            WNDCLASSA wc = {};
            wc.lpfnWndProc = Proc;
            wc.hInstance = GetModuleHandleA(NULL);
            wc.lpszClassName = SZ_AGENT_CLASS;
            RegisterClassA(&wc);
            window = CreateWindowExA(0, SZ_AGENT_CLASS, "ZNVFuture", 0, 0, 0, 0, 0, NULL, NULL, wc.hInstance, NULL);
            SetWindowLongPtrA(window, GWLP_USERDATA, (LONG_PTR)this);
            SetEvent(ready);
            if (hungFromStart) {
                ::Sleep(hangMs);         // not pumping: the agent does not answer
                return;
            }
            MSG msg;
            while (GetMessageA(&msg, NULL, 0, 0) > 0)
                DispatchMessageA(&msg);
        });
        WaitForSingleObject(ready, 5000);
        CloseHandle(ready);
    }
    ~FakeAgent()
    {
        thread.join();
        CloseHandle(ended);
    }
    static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l)
    {
        FakeAgent* self = (FakeAgent*)GetWindowLongPtrA(h, GWLP_USERDATA);
        if (m != WM_DESTROY || !self)
            return DefWindowProcA(h, m, w, l);
        Record("agent got WM_DESTROY");
        for (DWORD t0 = GetTickCount(); GetTickCount() - t0 < self->boxMs;) {
            MsgWaitForMultipleObjects(0, NULL, FALSE, 50, QS_ALLINPUT);
            MSG msg;
            while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
                DispatchMessageA(&msg);
        }
        if (self->hangMs)
            ::Sleep(self->hangMs);
        if (self->file != INVALID_HANDLE_VALUE)
            CloseHandle(self->file);
        self->file = INVALID_HANDLE_VALUE;
        Record("agent ended");
        SetEvent(self->ended);
        PostQuitMessage(0);
        return 0;
    }
};

// The agent whose "process" the hooks below give out.
extern FakeAgent* g_agent;
// GetWindowThreadProcessId: the agent's process id, 4242.
DWORD WINAPI AgentThreadProcessId(HWND, LPDWORD pid);
// OpenProcess: a copy of g_agent's ended event, recorded.
HANDLE WINAPI OpenAgentProcess(DWORD access, BOOL, DWORD pid);

#endif
