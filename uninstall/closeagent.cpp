// Ends a running key agent before its files are deleted.
#include "uninstall.h"
#include "footprint.h"

// Whether the agent has ended: its process, or where that cannot be
// watched, its window.
static int Ended(HWND agent, HANDLE process)
{
    if (process)
        return WaitForSingleObject(process, AGENT_PROBE_MS) != WAIT_TIMEOUT;
    if (!IsWindow(agent))
        return 1;
    Sleep(AGENT_PROBE_MS);
    return 0;
}

void CloseAgent()
{
    HWND agent = FindWindowA(SZ_AGENT_CLASS, NULL);
    if (!agent)
        return;
    // Opened before the agent ends, so that the id cannot be reused meanwhile.
    DWORD pid = 0;
    GetWindowThreadProcessId(agent, &pid);
    HANDLE process = pid ? OpenProcess(SYNCHRONIZE, FALSE, pid) : NULL;
    // Its shutdown can hold a box open for the user (a refused unload), so
    // the reply is not waited for: a timed-out send that the agent had not
    // yet taken would be lost.
    SendNotifyMessageA(agent, WM_DESTROY, 0, 0);
    // An agent that answers is still at work, however long; one that has not
    // answered for AGENT_SILENT_MS is hung and is left.
    DWORD heard = GetTickCount();
    while (!Ended(agent, process)) {
        DWORD_PTR result;
        if (SendMessageTimeoutA(agent, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, AGENT_PROBE_MS, &result))
            heard = GetTickCount();
        else if (GetTickCount() - heard >= AGENT_SILENT_MS)
            break;
    }
    if (process)
        CloseHandle(process);
    else
        Sleep(AGENT_PAUSE_MS);      // its process may outlive its window a little
}
