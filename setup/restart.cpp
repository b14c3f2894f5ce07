// Restart after an installation on version 5 of the NT family.
#include "setup.h"
#include "platform.h"
#include "privilege.h"

// 1 when Windows took the restart.
int RestartWindows()
{
    OSVERSIONINFOA v;
    ReadVersion(&v);
    if (v.dwPlatformId != VER_PLATFORM_WIN32_NT)
        return ExitWindowsEx(EWX_REBOOT, 0) != 0;
    int restarting = SwitchPrivilege(SZ_SHUTDOWN_PRIVILEGE, 1) && ExitWindowsEx(EWX_REBOOT, 0);
    SwitchPrivilege(SZ_SHUTDOWN_PRIVILEGE, 0);
    return restarting;
}

bool IsNtVersion5()
{
    OSVERSIONINFOA v;
    ReadVersion(&v);
    return v.dwPlatformId == VER_PLATFORM_WIN32_NT && v.dwMajorVersion == 5;
}
