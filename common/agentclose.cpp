#include "agentclose.h"
#include "footprint.h"
#include "log.h"

// Waits up to ms for process (with none, the time alone), answering the
// caller's own windows meanwhile: a dialog that waits here still paints and
// answers. 1 when the process has ended, or cannot be waited for. The
// callers post no quit message while they wait.
static int WaitAnswering(HANDLE process, DWORD ms)
{
    DWORD start = GetTickCount();
    for (DWORD spent = 0; spent < ms; spent = GetTickCount() - start) {
        DWORD woke = MsgWaitForMultipleObjects(process ? 1 : 0, &process, FALSE, ms - spent, QS_ALLINPUT);
        if (process && woke != WAIT_OBJECT_0 + 1 && woke != WAIT_TIMEOUT)
            return 1;
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return 0;
}

// Whether the agent has ended: its process, or where that cannot be
// watched, its window.
static int Ended(HWND agent, HANDLE process)
{
    if (process)
        return WaitAnswering(process, AGENT_PROBE_MS);
    if (!IsWindow(agent))
        return 1;
    WaitAnswering(NULL, AGENT_PROBE_MS);
    return 0;
}

// An agent that answers is still at work; one that has not answered for
// AGENT_SILENT_MS is hung, and is left.
static int WaitForAgent(HWND agent, HANDLE process, DWORD start, DWORD bound)
{
    DWORD heard = GetTickCount();
    int ended;
    while (!(ended = Ended(agent, process))) {
        DWORD_PTR result;
        if (bound && GetTickCount() - start >= bound)
            break;
        if (SendMessageTimeoutA(agent, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, AGENT_PROBE_MS, &result))
            heard = GetTickCount();
        else if (GetTickCount() - heard >= AGENT_SILENT_MS)
            break;
    }
    if (!process)
        Sleep(AGENT_PAUSE_MS);      // its process may outlive its window a little
    return ended;
}

int CloseAgents(DWORD bound, int* found)
{
    HWND agents[AGENT_MAX];
    HANDLE processes[AGENT_MAX];
    int n = 0;
    for (HWND w = NULL; n < AGENT_MAX && (w = FindWindowExA(NULL, w, SZ_AGENT_CLASS, NULL)) != NULL; n++) {
        agents[n] = w;
        // Opened before the agent ends, so that the id cannot be reused meanwhile.
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        processes[n] = pid ? OpenProcess(SYNCHRONIZE, FALSE, pid) : NULL;
    }
    // Its shutdown can hold a box open for the user (a refused unload), so
    // the reply is not waited for: a timed-out send that the agent had not
    // yet taken would be lost.
    for (int i = 0; i < n; i++)
        SendNotifyMessageA(agents[i], WM_DESTROY, 0, 0);
    DWORD start = GetTickCount();
    int all = 1;
    for (int i = 0; i < n; i++) {
        int ended = WaitForAgent(agents[i], processes[i], start, bound);
        LogNumber(ended ? "agent closed after ms:" : "agent running after ms:", GetTickCount() - start);
        all &= ended;
        if (processes[i])
            CloseHandle(processes[i]);
    }
    if (found)
        *found = n;
    return all;
}
