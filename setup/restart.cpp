// Restart after an installation on version 5 of the NT family.
#include "setup.h"
#include "log.h"
#include "platform.h"
#include "privilege.h"

// 1 when Windows took the restart.
int RestartWindows()
{
    int nt = IsNtPlatform();
    // Without the privilege ExitWindowsEx fails, and says why.
    if (nt)
        SwitchPrivilege(SZ_SHUTDOWN_PRIVILEGE, 1);
    // The restart can end this process at any moment once it has begun.
    LogExit(ERROR_SUCCESS_REBOOT_INITIATED);
    int restarting = ExitWindowsEx(EWX_REBOOT, 0) != 0;
    if (restarting)
        EndLog();
    else
        LogStep(0, "ExitWindowsEx", "", NULL);
    if (nt)
        SwitchPrivilege(SZ_SHUTDOWN_PRIVILEGE, 0);
    return restarting;
}

bool IsNtVersion5()
{
    return NtMajorVersion() == 5;
}
