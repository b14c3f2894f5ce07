// Power-off after a question, suspend, and the notices that tell the driver
// when the machine goes down and when it has resumed.
#include "agent.h"
#include "platform.h"
#include "privilege.h"
#include "resource.h"
#include "stringbox.h"

#define QUESTION_SIZE 60

static const char SZ_CAPTION_TANDREL[] = "Tandrel";

// The notices treat platform 1 as the 9x family and every other id as NT.
static DWORD FamilyCode(DWORD platform, DWORD code9x, DWORD codeNt)
{
    return platform == VER_PLATFORM_WIN32_WINDOWS ? code9x : codeNt;
}

static void PowerOff(DWORD platform)
{
    if (platform == VER_PLATFORM_WIN32_WINDOWS) {
        // 9x: the driver hears of it before Windows is asked.
        SendRequest(IOCTL_9X_POWER_DOWN);
        ExitWindowsEx(EWX_SHUTDOWN, 0);
        return;
    }
    // NT: the driver hears of it only once Windows has accepted.
    if (SwitchPrivilege(SZ_SHUTDOWN_PRIVILEGE, 1)) {
        if (ExitWindowsEx(EWX_SHUTDOWN, 0))
            SendRequest(IOCTL_NT_POWER_DOWN);
    }
    SwitchPrivilege(SZ_SHUTDOWN_PRIVILEGE, 0);
}

void PowerCommand(LPARAM action)
{
    OSVERSIONINFOA v;
    ReadVersion(&v);
    if (action == POWER_KEY || action == MENU_POWER_OFF) {
        if (StringBox(g_instance, IDS_POWER_QUESTION, QUESTION_SIZE, NULL, SZ_CAPTION_TANDREL,
                      MB_YESNO | MB_ICONQUESTION | MB_SETFOREGROUND | MB_TOPMOST) == IDYES)
            PowerOff(v.dwPlatformId);
    } else if (action == SLEEP_KEY || action == MENU_SLEEP) {
        // Suspend, not hibernate, and without force: applications are asked.
        SetSystemPowerState(TRUE, FALSE);
    }
}

void PowerBroadcast(WPARAM event)
{
    if (event == PBT_APMSUSPEND) {
        OSVERSIONINFOA v;
        ReadVersion(&v);
        SendRequest(FamilyCode(v.dwPlatformId, IOCTL_9X_POWER_DOWN, IOCTL_NT_POWER_DOWN));
    } else if (event == PBT_APMRESUMESUSPEND) {
        // Same id: a second resume restarts the timer, so one notice follows.
        SetTimer(g_mainWindow, RESUME_TIMER_ID, RESUME_DELAY_MS, NULL);
    }
}

void ResumeTimer(WPARAM timerId)
{
    OSVERSIONINFOA v;
    ReadVersion(&v);
    SendRequest(FamilyCode(v.dwPlatformId, IOCTL_9X_RESUME, IOCTL_NT_RESUME));
    KillTimer(g_mainWindow, timerId);
}
