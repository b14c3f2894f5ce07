#include "fakedriver.h"
#include <mutex>
#include "calllog.h"
#include "iathook.h"

static FakeDriver* g_driver;
static FakeServices* g_services;
static std::mutex g_readsLock;
static const SC_HANDLE MANAGER = (SC_HANDLE)0x5C00;
static const SC_HANDLE SERVICE = (SC_HANDLE)0x5E00;
static DWORD g_serviceAccess;

static const char* HandleName(HANDLE h)
{
    if (h == FAKE_DEVICE)
        return "device";
    if (h == FAKE_LOADER)
        return "loader";
    if (h == INVALID_HANDLE_VALUE)
        return "invalid";
    if (h == NULL)
        return "null";
    return "other";
}

static std::string Hex(const void* p, DWORD n)
{
    std::string out;
    char b[4];
    for (DWORD i = 0; i < n; i++) {
        snprintf(b, sizeof b, i ? " %02x" : "%02x", ((const unsigned char*)p)[i]);
        out += b;
    }
    return out;
}

static SC_HANDLE WINAPI FakeOpenSCManager(LPCSTR machine, LPCSTR db, DWORD access)
{
    Record("OpenSCManagerA(%s, %s, 0x%lx)", machine ? machine : "NULL", db ? db : "NULL", access);
    if (!g_services->managerOpens || (access & ~g_services->managerRights)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return NULL;
    }
    return MANAGER;
}

static SC_HANDLE WINAPI FakeOpenService(SC_HANDLE manager, LPCSTR name, DWORD access)
{
    Record("OpenServiceA(%s, %s, 0x%lx)", manager == MANAGER ? "manager" : "?", name, access);
    if (!g_services->serviceOpens) {
        SetLastError(ERROR_SERVICE_DOES_NOT_EXIST);
        return NULL;
    }
    if (access & ~g_services->serviceRights) {
        SetLastError(ERROR_ACCESS_DENIED);
        return NULL;
    }
    g_serviceAccess = access;
    return SERVICE;
}

static BOOL WINAPI FakeStartService(SC_HANDLE service, DWORD argc, LPCSTR* argv)
{
    Record("StartServiceA(%s, %lu, %s)", service == SERVICE ? "service" : "?", argc, argv ? "args" : "NULL");
    if (!(g_serviceAccess & SERVICE_START)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    switch (g_services->start) {
    case FakeDriver::STARTS:
        return TRUE;
    case FakeDriver::ALREADY_RUNNING:
        SetLastError(ERROR_SERVICE_ALREADY_RUNNING);
        return FALSE;
    default:
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
}

static BOOL WINAPI FakeCloseServiceHandle(SC_HANDLE h)
{
    Record("CloseServiceHandle(%s)", h == MANAGER ? "manager" : h == SERVICE ? "service" : "?");
    return TRUE;
}

static BOOL WINAPI FakeQueryServiceStatus(SC_HANDLE service, LPSERVICE_STATUS st)
{
    Record("QueryServiceStatus(%s)", service == SERVICE ? "service" : "?");
    st->dwServiceType = SERVICE_KERNEL_DRIVER;
    bool running = g_services->running || g_services->start == FakeServices::ALREADY_RUNNING;
    st->dwCurrentState = running ? SERVICE_RUNNING : SERVICE_STOPPED;
    return TRUE;
}

static SC_LOCK WINAPI FakeLockServiceDatabase(SC_HANDLE manager)
{
    Record("LockServiceDatabase(%s)", manager == MANAGER ? "manager" : "?");
    if (g_services->refusedLocks > 0) {
        g_services->refusedLocks--;
        return NULL;
    }
    return (SC_LOCK)0x10C;
}

static BOOL WINAPI FakeUnlockServiceDatabase(SC_LOCK)
{
    Record("UnlockServiceDatabase");
    return TRUE;
}

static BOOL WINAPI FakeDeleteService(SC_HANDLE service)
{
    Record("DeleteService(%s)", service == SERVICE ? "service" : "?");
    return g_services->deletes;
}

struct StartHooks {
    HOOK(OpenSCManagerA, FakeOpenSCManager);
    HOOK(OpenServiceA, FakeOpenService);
    HOOK(StartServiceA, FakeStartService);
    HOOK(QueryServiceStatus, FakeQueryServiceStatus);
    HOOK(CloseServiceHandle, FakeCloseServiceHandle);
};

struct RemovalHooks {
    HOOK(OpenSCManagerA, FakeOpenSCManager);
    HOOK(OpenServiceA, FakeOpenService);
    HOOK(QueryServiceStatus, FakeQueryServiceStatus);
    HOOK(LockServiceDatabase, FakeLockServiceDatabase);
    HOOK(UnlockServiceDatabase, FakeUnlockServiceDatabase);
    HOOK(DeleteService, FakeDeleteService);
    HOOK(CloseServiceHandle, FakeCloseServiceHandle);
};

FakeServices::FakeServices(bool removal)
{
    g_services = this;
    if (removal)
        hooks = std::make_shared<RemovalHooks>();
    else
        hooks = std::make_shared<StartHooks>();
}

FakeServices::~FakeServices()
{
    hooks.reset();
    g_services = nullptr;
}

static HANDLE WINAPI FakeCreateFile(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa, DWORD disposition,
                                    DWORD flags, HANDLE tmpl)
{
    std::string n = name;
    if (n != "\\\\.\\VOREL12" && n != "\\\\.\\VXDLDR")
        return REAL(CreateFileA)(name, access, share, sa, disposition, flags, tmpl);
    Record("CreateFileA(%s, access=0x%lx, share=%lu, sa=%s, disposition=%lu, flags=0x%lx, template=%s)", name, access,
           share, sa ? "set" : "NULL", disposition, flags, tmpl ? "set" : "NULL");
    if (n == "\\\\.\\VXDLDR") {
        if (g_driver->loaderOpens)
            return FAKE_LOADER;
    } else if (g_driver->deviceOpens || g_driver->loaded) {
        return FAKE_DEVICE;
    }
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
}

static BOOL WINAPI FakeDeviceIoControl(HANDLE h, DWORD code, LPVOID in, DWORD inSize, LPVOID out, DWORD outSize,
                                       LPDWORD returned, LPOVERLAPPED ov)
{
    Record("DeviceIoControl(%s, 0x%lx, in=[%s], out=%s/%lu, returned=%s, overlapped=%s)", HandleName(h), code,
           in ? Hex(in, inSize).c_str() : "NULL", out ? "set" : "NULL", outSize, returned ? "set" : "NULL",
           ov ? "set" : "NULL");
    if (returned)
        *returned = 0;
    if (h == FAKE_LOADER) {
        if (code == 1 && g_driver->loadSucceeds) {
            g_driver->loaded = true;
            return TRUE;
        }
        if (code == 2) {
            if (g_driver->unloadSucceeds)
                return TRUE;
            SetLastError(g_driver->unloadError);
        }
        return FALSE;
    }
    if (h != FAKE_DEVICE) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (code == 0x220000) {
        if (!g_driver->registerSucceeds)
            return FALSE;
        g_driver->registeredEvent = (HANDLE)(ULONG_PTR) * (DWORD*)in;
    }
    return TRUE;
}

static BOOL WINAPI FakeReadFile(HANDLE h, LPVOID buffer, DWORD size, LPDWORD got, LPOVERLAPPED ov)
{
    if (h != FAKE_DEVICE) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    g_driver->readerThreadId = GetCurrentThreadId();
    std::string data;
    {
        std::lock_guard<std::mutex> hold(g_readsLock);
        if (g_driver->reads.empty()) {
            Record("ReadFile(device, %lu, overlapped=%s) -> nothing queued", size, ov ? "set" : "NULL");
            *got = 0;
            return FALSE;
        }
        data = g_driver->reads.front();
    }
    Record("ReadFile(device, %lu, overlapped=%s) -> %zu bytes", size, ov ? "set" : "NULL", data.size());
    DWORD n = (DWORD)data.size() < size ? (DWORD)data.size() : size;
    memcpy(buffer, data.data(), n);
    *got = n;
    std::lock_guard<std::mutex> hold(g_readsLock);
    g_driver->reads.pop_front();
    return TRUE;
}

static BOOL WINAPI FakeCloseHandle(HANDLE h)
{
    if (h == FAKE_DEVICE || h == FAKE_LOADER) {
        Record("CloseHandle(%s)", HandleName(h));
        return TRUE;
    }
    return REAL(CloseHandle)(h);
}

static DWORD WINAPI FakeGetShortPathName(LPCSTR path, LPSTR out, DWORD size)
{
    Record("GetShortPathNameA(%s, %lu)", path, size);
    if (!g_driver->vxdFileFound) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return 0;
    }
    DWORD n = (DWORD)g_driver->shortPath.size();
    if (n + 1 > size)
        return n + 1;
    memcpy(out, g_driver->shortPath.c_str(), n + 1);
    return n;
}

struct FakeDriver::Hooks {
    HOOK(CreateFileA, FakeCreateFile);
    HOOK(DeviceIoControl, FakeDeviceIoControl);
    HOOK(ReadFile, FakeReadFile);
    HOOK(CloseHandle, FakeCloseHandle);
    HOOK(GetShortPathNameA, FakeGetShortPathName);
};

FakeDriver::FakeDriver() : FakeServices(false)
{
    g_driver = this;
    deviceHooks.reset(new Hooks);
}

FakeDriver::~FakeDriver()
{
    deviceHooks.reset();
    g_driver = nullptr;
}

void FakeDriver::Inject(const std::string& bytes)
{
    {
        std::lock_guard<std::mutex> hold(g_readsLock);
        reads.push_back(bytes);
    }
    SetEvent(registeredEvent);
}

bool FakeDriver::WaitDrained(DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        {
            std::lock_guard<std::mutex> hold(g_readsLock);
            if (reads.empty())
                break;
        }
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(1);
    }
    Sleep(20);   // let the reader finish posting what it read
    return true;
}

std::string KeyRecord(unsigned makeCode, unsigned flags)
{
    unsigned char r[12] = { 0 };
    r[2] = (unsigned char)makeCode;
    r[3] = (unsigned char)(makeCode >> 8);
    r[4] = (unsigned char)flags;
    r[5] = (unsigned char)(flags >> 8);
    return std::string((const char*)r, 12);
}
