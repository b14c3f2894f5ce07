// Token calls of the privilege switch, recorded; the answers are set by the test.
#ifndef TEST_FAKEPRIVILEGE_H
#define TEST_FAKEPRIVILEGE_H
#include <windows.h>

struct FakeToken {
    bool opens = true;
    bool looksUp = true;
    bool adjusts = true;
};
extern FakeToken g_fakeToken;

BOOL WINAPI FakeOpenProcessToken(HANDLE process, DWORD access, PHANDLE token);
BOOL WINAPI FakeLookupPrivilegeValueA(LPCSTR system, LPCSTR name, PLUID luid);
// Records "AdjustTokenPrivileges(attributes=0x..)" with the details of the call.
BOOL WINAPI FakeAdjustTokenPrivileges(HANDLE token, BOOL disableAll, PTOKEN_PRIVILEGES tp, DWORD len,
                                      PTOKEN_PRIVILEGES prev, PDWORD ret);

#endif
