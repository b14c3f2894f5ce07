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
    // Pointers as numbers: %p prints 8 digits on i686 and 16 on x86_64.
    Record("AdjustTokenPrivileges(attributes=0x%lx, token=0x%llx, disableAll=%d, count=%lu, luid=%lu, len=%lu, prev=0x%llx, "
           "ret=0x%llx)",
           tp->Privileges[0].Attributes, (unsigned long long)(ULONG_PTR)token, disableAll, tp->PrivilegeCount,
           tp->Privileges[0].Luid.LowPart, len, (unsigned long long)(ULONG_PTR)prev, (unsigned long long)(ULONG_PTR)ret);
    return g_fakeToken.adjusts;
}
