#include "fakeversion.h"
#include "calllog.h"

static FakeOs g_os = WIN7;

void SetFakeOs(FakeOs os)
{
    g_os = os;
}

BOOL WINAPI FakeGetVersionExA(LPOSVERSIONINFOA v)
{
    Record("GetVersionExA(size=%lu)", v->dwOSVersionInfoSize);
    if (v->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA))
        return FALSE;
    v->dwPlatformId = g_os.platform;
    v->dwMajorVersion = g_os.major;
    v->dwMinorVersion = g_os.minor;
    v->dwBuildNumber = 1000;
    v->szCSDVersion[0] = 0;
    return TRUE;
}
