// Entry of the key agent: one copy per session; a second copy hands over to
// the first by asking it for its About box, or shows the box itself when
// the first cannot be asked.
#include "agent.h"
#include "footprint.h"
#include "window.h"

// How long a second copy waits while the first makes its window.
#define START_LOCK_MS 10000

extern "C" int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    // Held from the look for a running copy until this copy's window exists
    // or has failed: of two copies started together, the second then finds
    // the first's window.
    HANDLE lock = CreateMutexA(NULL, FALSE, SZ_AGENT_LOCK);
    if (lock)
        WaitForSingleObject(lock, START_LOCK_MS);
    HWND running = FindWindowA(SZ_AGENT_CLASS, NULL);
    if (running) {
        // Windows drops the message when the running copy is elevated and
        // this one is not: this copy then shows the box itself.
        if (!PostMessageA(running, WM_COMMAND, CMD_ABOUT, 0)) {
            if (lock)
                ReleaseMutex(lock);
            g_instance = instance;
            ShowAbout();
        }
        return 0;
    }
    HWND window = RegisterAgentClass(instance) ? CreateAgentWindow(instance) : NULL;
    if (lock)
        ReleaseMutex(lock);
    if (!window)
        return 0;
    ShowWindow(window, SW_HIDE);
    return RunMessageLoop();
}
