#include "fakeagent.h"

FakeAgent* g_agent;

DWORD WINAPI AgentThreadProcessId(HWND, LPDWORD pid)
{
    *pid = 4242;
    return 1;
}

HANDLE WINAPI OpenAgentProcess(DWORD access, BOOL, DWORD pid)
{
    Record("OpenProcess(0x%lx, %lu)", access, pid);
    HANDLE copy;
    DuplicateHandle(GetCurrentProcess(), g_agent->ended, GetCurrentProcess(), &copy, 0, FALSE, DUPLICATE_SAME_ACCESS);
    return copy;
}
