// The channel to the keyboard's filter driver: the NT kernel service and its
// device, or the 9x VxD loaded through the system's dynamic loader.
#include "agent.h"
#include "footprint.h"
#include "modulefolder.h"
#include "platform.h"
#include "resource.h"
#include "stringbox.h"
#include "text.h"

#define VXD_PATH_SIZE 180
#define SHORT_PATH_SIZE 150
#define MESSAGE_SIZE 180

HANDLE g_device;
HANDLE g_event;
HANDLE g_readerThread;

static const char SZ_CAPTION_ZOLVAR[] = "Zolvar";
static const char SZ_CAPTION_OSSIVANE[] = "Ossivane";

static int IsOpen(HANDLE h)
{
    return h != NULL && h != INVALID_HANDLE_VALUE;
}

static int ReportOpenFailure(UINT stringId)
{
    StringBox(g_instance, stringId, MESSAGE_SIZE, g_mainWindow, SZ_CAPTION_ZOLVAR, MB_ICONINFORMATION);
    return 0;
}

// Asks only for what it uses: an unelevated user gets neither a manager
// handle that creates services nor a service handle that changes one. Setup
// lets the interactive users start the service; a user who may not start it
// still uses a driver that runs already.
static int StartDriverService()
{
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_CONNECT);
    if (!manager)
        return 0;
    SC_HANDLE service = OpenServiceA(manager, SZ_SERVICE, SERVICE_START | SERVICE_QUERY_STATUS);
    if (!service)
        service = OpenServiceA(manager, SZ_SERVICE, SERVICE_QUERY_STATUS);
    if (!service) {
        CloseServiceHandle(manager);
        return 0;
    }
    SERVICE_STATUS status;
    int started = StartServiceA(service, 0, NULL) || GetLastError() == ERROR_SERVICE_ALREADY_RUNNING ||
                  (GetLastError() == ERROR_ACCESS_DENIED && QueryServiceStatus(service, &status) &&
                   status.dwCurrentState == SERVICE_RUNNING);
    CloseServiceHandle(manager);
    CloseServiceHandle(service);
    return started;
}

static int OpenNtChannel()
{
    if (!StartDriverService())
        return 0;
    g_device = CreateFileA(SZ_DEVICE, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (IsOpen(g_device))
        return 1;
    return ReportOpenFailure(IDS_NO_SERVICE_FILE);
}

static HANDLE OpenVxdDevice()
{
    return CreateFileA(SZ_DEVICE, 0, 0, NULL, 0, 0, NULL);
}

static HANDLE OpenLoader()
{
    return CreateFileA(SZ_VXDLDR, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
}

static int Open9xChannel()
{
    // The VxD lies beside the agent's own executable, or is the bare name when
    // that has no folder. A path that does not fit is never handed to the loader.
    char vxdPath[VXD_PATH_SIZE];
    int pathFits =
        ModuleFolder(g_instance, vxdPath, sizeof vxdPath) && TextAppend(vxdPath, sizeof vxdPath, SZ_VXD_FILE);
    g_device = OpenVxdDevice();
    if (g_device == INVALID_HANDLE_VALUE) {
        HANDLE loader = OpenLoader();
        if (loader != INVALID_HANDLE_VALUE) {
            char shortPath[SHORT_PATH_SIZE];
            TextZero(shortPath, sizeof shortPath);
            DWORD n = pathFits ? GetShortPathNameA(vxdPath, shortPath, sizeof shortPath) : 0;
            if (n > 0 && n < sizeof shortPath) {
                DWORD returned;
                if (DeviceIoControl(loader, VXDLDR_LOAD, shortPath, TextLength(shortPath) + 1, NULL, 0, &returned, NULL))
                    g_device = OpenVxdDevice();
            }
            CloseHandle(loader);
        }
    }
    if (IsOpen(g_device))
        return 1;
    return ReportOpenFailure(IDS_NO_VXD_FILE);
}

int OpenChannel(const OSVERSIONINFOA* v)
{
    if (v->dwPlatformId == VER_PLATFORM_WIN32_NT)
        return OpenNtChannel();
    return Open9xChannel();
}

int StartNotification(const OSVERSIONINFOA* v)
{
    DWORD returned;
    if (v->dwPlatformId != VER_PLATFORM_WIN32_NT) {
        // The driver keeps a 32-bit window handle.
        DWORD window = (DWORD)(ULONG_PTR)g_mainWindow;
        DeviceIoControl(g_device, IOCTL_9X_REGISTER, &window, 4, NULL, 0, &returned, NULL);
        return 1;
    }
    g_event = CreateEventA(NULL, FALSE, FALSE, NULL);
    if (!g_event)
        return 0;
    // Handle values fit in 32 bits on every Windows, which is what the driver takes.
    DWORD event = (DWORD)(ULONG_PTR)g_event;
    if (!DeviceIoControl(g_device, IOCTL_NT_REGISTER, &event, 4, NULL, 0, &returned, NULL))
        return 0;
    DWORD threadId;
    g_readerThread = CreateThread(NULL, 4096, ReaderThread, g_event, 0, &threadId);
    return IsOpen(g_readerThread);
}

void SendRequest(DWORD code)
{
    DWORD returned;
    DeviceIoControl(g_device, code, NULL, 0, NULL, 0, &returned, NULL);
}

void SendRequest104()
{
    OSVERSIONINFOA v;
    ReadVersion(&v);
    if (v.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS)
        SendRequest(IOCTL_9X_REQUEST);
}

void UnloadVxd(const char* module)
{
    // A device id of -1 tells the loader to find the VxD by its name.
    char input[4 + 16];
    input[0] = input[1] = input[2] = input[3] = (char)0xFF;
    if (!TextCopy(input + 4, sizeof input - 4, module))
        return;
    DWORD length = 4 + TextLength(module) + 1;
    HANDLE loader = OpenLoader();
    if (loader == INVALID_HANDLE_VALUE)
        return;
    DWORD returned;
    if (!DeviceIoControl(loader, VXDLDR_UNLOAD, input, length, NULL, 0, &returned, NULL)) {
        char* text = NULL;
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, NULL, GetLastError(),
                       MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), (LPSTR)&text, 0, NULL);
        MessageBoxA(NULL, text, SZ_CAPTION_OSSIVANE, MB_ICONINFORMATION);
        LocalFree(text);
    }
    CloseHandle(loader);
}

void StopChannel()
{
    OSVERSIONINFOA v;
    ReadVersion(&v);
    if (v.dwPlatformId != VER_PLATFORM_WIN32_NT) {
        SendRequest(IOCTL_9X_STOP);
        UnloadVxd(SZ_VXD_MODULE);
        return;
    }
    if (g_readerThread) {
        // Woken with the run flag clear, the reader returns by itself. Killing
        // a thread that is still starting up can leave the loader lock held.
        SetEvent(g_event);
        WaitForSingleObject(g_readerThread, 1000);
        // TerminateThread is asynchronous: repeat until the thread is gone.
        DWORD code;
        do {
            TerminateThread(g_readerThread, 0);
            code = 0;
            if (!GetExitCodeThread(g_readerThread, &code))
                break;
        } while (code == STILL_ACTIVE);
        CloseHandle(g_readerThread);
        g_readerThread = NULL;
    }
    // A second WM_DESTROY can arrive while a message box of the first is
    // open: it must not use handles this stop has closed, which may be reused.
    if (g_event)
        ResetEvent(g_event);
    SendRequest(IOCTL_NT_STOP);
    if (g_event) {
        CloseHandle(g_event);
        g_event = NULL;
    }
}
