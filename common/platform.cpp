#include "platform.h"

int ReadVersion(OSVERSIONINFOA* v)
{
    ZeroMemory(v, sizeof *v);
    v->dwOSVersionInfoSize = OSVERSION_RECORD_SIZE;
    return GetVersionExA(v) ? 1 : 0;
}

DWORD NtMajorVersion()
{
    OSVERSIONINFOA v;
    ReadVersion(&v);
    return v.dwPlatformId == VER_PLATFORM_WIN32_NT ? v.dwMajorVersion : 0;
}

bool IsNtPlatform()
{
    return NtMajorVersion() != 0;
}
