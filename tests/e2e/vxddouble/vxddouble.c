/* Stand-ins for the Windows 9x side of the keyboard driver, for the e2e32
   tier only: 32-bit Wine loads "\\.\NAME" as the module name.vxd into the
   caller's process and hands DeviceIoControl to its export of that name.
   One file serves three names:
     vxdldr.vxd   the system's dynamic VxD loader (requests 1 and 2)
     vorel12.vxd  the keyboard's device; opens only once the loader has
                  loaded the VxD file, or when E2E_VXD_PRELOADED is set
     vorel12v.vxd the vendor's file that setup copies; never called
   Every request is appended with its bytes to C:\vorel12v.log, which
   outlives a Wine session that a power-off ends. Never part of the package. */
#include <windows.h>

static char g_name[16];
static HWND g_window;

static void Log(DWORD code, const void* in, DWORD inLen)
{
    static const char hex[] = "0123456789abcdef";
    char line[512];
    DWORD n = (DWORD)wsprintfA(line, "%s %lu", g_name, code), i;
    for (i = 0; i < inLen && n + 4 < sizeof line; i++) {
        line[n++] = ' ';
        line[n++] = hex[((const BYTE*)in)[i] >> 4];
        line[n++] = hex[((const BYTE*)in)[i] & 15];
    }
    line[n++] = '\r';
    line[n++] = '\n';
    HANDLE f = CreateFileA("C:\\vorel12v.log", FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                           OPEN_ALWAYS, 0, NULL);
    if (f == INVALID_HANDLE_VALUE)
        return;
    WriteFile(f, line, n, &i, NULL);
    CloseHandle(f);
}

/* The real 9x driver posts the power command to the window that registered;
   a scenario asks for it by setting one of two named events, made before
   the register request returns. Each post is logged as "1124 lParam". */
static HANDLE g_keys[2];

static DWORD WINAPI Keys(LPVOID unused)
{
    (void)unused;
    for (;;) {
        DWORD which = WaitForMultipleObjects(2, g_keys, FALSE, INFINITE);
        if (which > WAIT_OBJECT_0 + 1)
            return 0;
        LPARAM key = which == WAIT_OBJECT_0 ? 100 : 101;
        PostMessageA(g_window, WM_COMMAND, 1124, key);
        Log(1124, &key, 4);
    }
}

BOOL WINAPI VxdDeviceIoControl(DWORD code, LPVOID in, DWORD inLen, LPVOID out, DWORD outLen, LPDWORD returned,
                               LPOVERLAPPED overlapped)
{
    (void)out, (void)outLen, (void)overlapped;
    if (returned)
        *returned = 0;
    Log(code, in, in ? inLen : 0);
    if (!lstrcmpiA(g_name, "vxdldr")) {
        if (code == 1) {
            /* Load: the named file must exist and be a module. */
            if (!in || !LoadLibraryA((const char*)in)) {
                SetLastError(ERROR_FILE_NOT_FOUND);
                return FALSE;
            }
            SetEnvironmentVariableA("E2E_VXD_LOADED", (const char*)in);
            return TRUE;
        }
        if (code == 2 && GetEnvironmentVariableA("E2E_VXDLDR_REFUSE", NULL, 0)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        return TRUE;
    }
    if (code == 100 && in && inLen == 4 && !g_window) {
        g_window = (HWND)(ULONG_PTR)*(DWORD*)in;
        g_keys[0] = CreateEventA(NULL, FALSE, FALSE, "E2E_VXD_POWER");
        g_keys[1] = CreateEventA(NULL, FALSE, FALSE, "E2E_VXD_SLEEP");
        CloseHandle(CreateThread(NULL, 0, Keys, NULL, 0, NULL));
    }
    return TRUE;
}

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved)
{
    char path[MAX_PATH], *name, *dot;
    (void)reserved;
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    if (!GetModuleFileNameA(self, path, sizeof path))
        return FALSE;
    name = path;
    for (dot = path; *dot; dot++)
        if (*dot == '\\' || *dot == '/')
            name = dot + 1;
    for (dot = name; *dot && *dot != '.'; dot++)
        ;
    *dot = 0;
    lstrcpynA(g_name, name, sizeof g_name);
    CharLowerA(g_name);
    if (!lstrcmpA(g_name, "vorel12"))
        return GetEnvironmentVariableA("E2E_VXD_LOADED", NULL, 0) || GetEnvironmentVariableA("E2E_VXD_PRELOADED", NULL, 0);
    return TRUE;
}
