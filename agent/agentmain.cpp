// Entry of the key agent: one copy per session; a second copy hands over to
// the first by asking it for its About box.
#include "agent.h"
#include "footprint.h"
#include "window.h"

extern "C" int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    HWND running = FindWindowA(SZ_AGENT_CLASS, NULL);
    if (running) {
        PostMessageA(running, WM_COMMAND, CMD_ABOUT, 0);
        return 0;
    }
    if (!RegisterAgentClass(instance))
        return 0;
    HWND window = CreateAgentWindow(instance);
    if (!window)
        return 0;
    ShowWindow(window, SW_HIDE);
    return RunMessageLoop();
}
