#include <windows.h>
#include "privilege.h"

int SwitchPrivilege(const char* name, int on)
{
    HANDLE token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
        return 0;
    TOKEN_PRIVILEGES tp;
    int result = 0;
    if (LookupPrivilegeValueA(NULL, name, &tp.Privileges[0].Luid)) {
        tp.PrivilegeCount = 1;
        tp.Privileges[0].Attributes = on ? SE_PRIVILEGE_ENABLED : 0;
        result = AdjustTokenPrivileges(token, FALSE, &tp, 0, NULL, NULL) ? 1 : 0;
    }
    CloseHandle(token);
    return result;
}
