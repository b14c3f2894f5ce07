#include "fakeprivilege.h"
#include "calllog.h"

FakeToken g_fakeToken;

BOOL WINAPI FakeOpenProcessToken(HANDLE, DWORD access, PHANDLE token)
{
    Record("OpenProcessToken(access=0x%lx)", access);
    if (!g_fakeToken.opens)
        return FALSE;
    *token = (HANDLE)0x1234;
    return TRUE;
}

BOOL WINAPI FakeLookupPrivilegeValueA(LPCSTR system, LPCSTR name, PLUID luid)
{
    Record("LookupPrivilegeValueA(%s, %s)", system ? system : "NULL", name);
    if (!g_fakeToken.looksUp)
        return FALSE;
    luid->LowPart = 19;
    luid->HighPart = 0;
    return TRUE;
}

BOOL WINAPI FakeAdjustTokenPrivileges(HANDLE token, BOOL disableAll, PTOKEN_PRIVILEGES tp, DWORD len,
                                      PTOKEN_PRIVILEGES prev, PDWORD ret)
{
    Record("AdjustTokenPrivileges(attributes=0x%lx, token=%p, disableAll=%d, count=%lu, luid=%lu, len=%lu, prev=%p, ret=%p)",
           tp->Privileges[0].Attributes, token, disableAll, tp->PrivilegeCount, tp->Privileges[0].Luid.LowPart, len,
           (void*)prev, (void*)ret);
    return g_fakeToken.adjusts;
}
