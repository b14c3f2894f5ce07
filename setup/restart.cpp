// Restart after an installation on version 5 of the NT family.
#include "setup.h"
#include "platform.h"
#include "privilege.h"

void RestartWindows()
{
    OSVERSIONINFOA v;
    ReadVersion(&v);
    if (v.dwPlatformId != VER_PLATFORM_WIN32_NT) {
        ExitWindowsEx(EWX_REBOOT, 0);
        return;
    }
    if (SwitchPrivilege(SZ_SHUTDOWN_PRIVILEGE, 1))
        ExitWindowsEx(EWX_REBOOT, 0);
    SwitchPrivilege(SZ_SHUTDOWN_PRIVILEGE, 0);
}

bool IsNtVersion5()
{
    OSVERSIONINFOA v;
    ReadVersion(&v);
    return v.dwPlatformId == VER_PLATFORM_WIN32_NT && v.dwMajorVersion == 5;
}
