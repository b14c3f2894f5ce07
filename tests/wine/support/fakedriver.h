// A fake service manager for the driver's service, as the agent starts it
// and the uninstaller removes it, and a fake filter driver: answers
// CreateFileA on "\\.\VOREL12" and "\\.\VXDLDR", DeviceIoControl and
// ReadFile. Both record every request in the call log.
#ifndef TEST_FAKEDRIVER_H
#define TEST_FAKEDRIVER_H
#include <windows.h>
#include <deque>
#include <memory>
#include <string>

struct FakeServices {
    enum StartResult { STARTS, ALREADY_RUNNING, CANNOT_START };
    bool managerOpens = true;
    bool serviceOpens = true;       // the service exists
    StartResult start = STARTS;
    bool running = false;           // as QueryServiceStatus reports it
    // What the caller may open; more is refused, as Windows refuses an
    // unelevated caller. A start without SERVICE_START is refused too.
    DWORD managerRights = SC_MANAGER_ALL_ACCESS;
    DWORD serviceRights = SERVICE_ALL_ACCESS;
    bool deletes = true;
    int refusedLocks = 0;           // lock requests refused before one is granted

    // The calls of a removal (status, lock, deletion), or of a start.
    explicit FakeServices(bool removal = true);
    ~FakeServices();
    std::shared_ptr<void> hooks;
};

struct FakeDriver : FakeServices {
    bool deviceOpens = true;        // NT: the device; 9x: the VxD is already loaded
    bool loaderOpens = true;        // 9x
    bool vxdFileFound = true;       // 9x: GetShortPathNameA finds the file
    std::string shortPath = "C:\\TANDREL\\VOREL12V.VXD";
    bool loadSucceeds = true;       // 9x: the loader loads the VxD, after which the device opens
    bool registerSucceeds = true;
    bool unloadSucceeds = true;
    DWORD unloadError = ERROR_ACCESS_DENIED;

    // Key records handed out by ReadFile, one entry per read.
    std::deque<std::string> reads;
    HANDLE registeredEvent = NULL;
    DWORD readerThreadId = 0;
    bool loaded = false;            // 9x: set by a successful load request

    FakeDriver();
    ~FakeDriver();
    // Queues one read and signals the registered event.
    void Inject(const std::string& bytes);
    // Waits until the reader has taken every queued read.
    bool WaitDrained(DWORD timeoutMs = 5000);

    struct Hooks;
    std::unique_ptr<Hooks> deviceHooks;
};

// A 12-byte key record.
std::string KeyRecord(unsigned makeCode, unsigned flags);

inline const HANDLE FAKE_DEVICE = (HANDLE)0xDE00;
inline const HANDLE FAKE_LOADER = (HANDLE)0x1D00;

#endif
