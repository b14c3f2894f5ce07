// Ends a running key agent before its files are deleted.
#include "uninstall.h"
#include "footprint.h"

void CloseAgent()
{
    HWND agent = FindWindowA(SZ_AGENT_CLASS, NULL);
    if (!agent)
        return;
    // Opened before the agent ends, so that the id cannot be reused meanwhile.
    DWORD pid = 0;
    GetWindowThreadProcessId(agent, &pid);
    HANDLE process = pid ? OpenProcess(SYNCHRONIZE, FALSE, pid) : NULL;
    // A hung agent must not hold the uninstaller for ever.
    DWORD_PTR result;
    SendMessageTimeoutA(agent, WM_DESTROY, 0, 0, SMTO_ABORTIFHUNG, AGENT_REPLY_MS, &result);
    if (process) {
        WaitForSingleObject(process, AGENT_EXIT_MS);
        CloseHandle(process);
    } else {
        Sleep(AGENT_PAUSE_MS);
    }
}
