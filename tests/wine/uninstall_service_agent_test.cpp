// The driver service removal with its states forced, and the closing of a
// running, a quick and a hung agent.
#include "uninstall_harness.h"
#include <thread>

IAT_SLOT(OpenSCManagerA);
IAT_SLOT(OpenServiceA);
IAT_SLOT(QueryServiceStatus);
IAT_SLOT(LockServiceDatabase);
IAT_SLOT(UnlockServiceDatabase);
IAT_SLOT(DeleteService);
IAT_SLOT(CloseServiceHandle);
IAT_SLOT(Sleep);
IAT_SLOT(OpenProcess);
IAT_SLOT(GetWindowThreadProcessId);

namespace {

const SC_HANDLE MANAGER = (SC_HANDLE)0x5C00, SERVICE = (SC_HANDLE)0x5E00;
const SC_LOCK LOCK = (SC_LOCK)0x10C;

decltype(&Sleep) g_realSleep;

// Our pauses are recorded and skipped; the thread library's Sleep(0) yields
// run for real.
void WINAPI RecordingSleep(DWORD ms)
{
    if (ms == 0) {
        g_realSleep(0);
        return;
    }
    Record("Sleep(%lu)", ms);
}

struct FakeScm {
    bool managerOpens = true, exists = true, running = false, deletes = true;
    int refusedLocks = 0;
};
FakeScm g_scm;

struct ServiceHooks {
    HOOK(OpenSCManagerA, [](LPCSTR, LPCSTR, DWORD) -> SC_HANDLE {
        Record("OpenSCManagerA");
        return g_scm.managerOpens ? MANAGER : NULL;
    });
    HOOK(OpenServiceA, [](SC_HANDLE, LPCSTR name, DWORD access) -> SC_HANDLE {
        Record("OpenServiceA(%s, 0x%lx)", name, access);
        if (g_scm.exists)
            return SERVICE;
        SetLastError(ERROR_SERVICE_DOES_NOT_EXIST);
        return (SC_HANDLE)NULL;
    });
    HOOK(QueryServiceStatus, [](SC_HANDLE, LPSERVICE_STATUS st) -> BOOL {
        Record("QueryServiceStatus");
        st->dwServiceType = SERVICE_KERNEL_DRIVER;
        st->dwCurrentState = g_scm.running ? SERVICE_RUNNING : SERVICE_STOPPED;
        return TRUE;
    });
    HOOK(LockServiceDatabase, [](SC_HANDLE) -> SC_LOCK {
        Record("LockServiceDatabase");
        if (g_scm.refusedLocks > 0) {
            g_scm.refusedLocks--;
            return (SC_LOCK)NULL;
        }
        return LOCK;
    });
    HOOK(UnlockServiceDatabase, [](SC_LOCK) -> BOOL { Record("UnlockServiceDatabase"); return TRUE; });
    HOOK(DeleteService, [](SC_HANDLE) -> BOOL { Record("DeleteService"); return g_scm.deletes; });
    HOOK(CloseServiceHandle, [](SC_HANDLE h) -> BOOL {
        Record("CloseServiceHandle(%s)", h == MANAGER ? "manager" : "service");
        return TRUE;
    });
    HOOK(Sleep, RecordingSleep);
    ServiceHooks() { g_realSleep = hook_Sleep.Original(); }
};

TEST(RemoveDriverService, LockHeldTwiceBeforeItIsGranted)
{
    ServiceHooks hooks;
    g_scm.refusedLocks = 2;
    EXPECT_EQ(1, RemoveDriverService());
    std::vector<std::string> expected = {
        "OpenSCManagerA",
        "OpenServiceA(VOREL12, 0xf01ff)", "QueryServiceStatus", "CloseServiceHandle(service)",
        "OpenServiceA(VOREL12, 0xf01ff)",
        "LockServiceDatabase", "Sleep(100)", "LockServiceDatabase", "Sleep(100)", "LockServiceDatabase",
        "DeleteService", "UnlockServiceDatabase", "CloseServiceHandle(service)",
        "CloseServiceHandle(manager)",
    };
    EXPECT_EQ(expected, Calls());
}

TEST(RemoveDriverService, ARunningKernelDriverIsMarkedForDeletionWithOutcome2)
{
    ServiceHooks hooks;
    g_scm.running = true;
    EXPECT_EQ(2, RemoveDriverService());
    EXPECT_EQ(1u, CallsTo("DeleteService").size());
}

TEST(RemoveDriverService, AMissingServiceIsOutcome1WithoutALock)
{
    ServiceHooks hooks;
    g_scm.exists = false;
    EXPECT_EQ(1, RemoveDriverService());
    EXPECT_TRUE(CallsTo("LockServiceDatabase").empty());
    EXPECT_TRUE(CallsTo("DeleteService").empty());
}

TEST(RemoveDriverService, AFailingManagerOrDeletionIsOutcome0)
{
    ServiceHooks hooks;
    g_scm.managerOpens = false;
    EXPECT_EQ(0, RemoveDriverService());
    EXPECT_EQ(std::vector<std::string>{ "OpenSCManagerA" }, Calls());
    g_scm.managerOpens = true;
    g_scm.deletes = false;
    EXPECT_EQ(0, RemoveDriverService());
}

TEST(RemoveDriverService, ALockNeverGrantedGivesUpAfterAMinuteOfTries)
{
    ServiceHooks hooks;
    g_scm.refusedLocks = 1000000;
    EXPECT_EQ(0, RemoveDriverService());
    EXPECT_EQ(600u, CallsTo("LockServiceDatabase").size());
    EXPECT_TRUE(CallsTo("DeleteService").empty());
}

TEST(RemoveDriverService, TheRealManagerDeletesANeverStartedService)
{
    SC_HANDLE scm = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    SC_HANDLE s = CreateServiceA(scm, SZ_SERVICE, SZ_SERVICE, SERVICE_ALL_ACCESS, SERVICE_KERNEL_DRIVER,
                                 SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, "C:\\windows\\system32\\drivers\\x.sys",
                                 NULL, NULL, NULL, NULL, NULL);
    ASSERT_NE((SC_HANDLE)NULL, s);
    CloseServiceHandle(s);
    EXPECT_EQ(1, RemoveDriverService());
    EXPECT_EQ((SC_HANDLE)NULL, OpenServiceA(scm, SZ_SERVICE, SERVICE_QUERY_STATUS));
    EXPECT_EQ(1, RemoveDriverService());         // gone: still counts as removed
    CloseServiceHandle(scm);
}

// An agent window on a thread of its own; "its process" is an event that the
// window sets when it has handled WM_DESTROY.
struct FakeAgent {
    HANDLE ended = CreateEventA(NULL, TRUE, FALSE, NULL);
    bool hung;
    std::thread thread;
    HWND window = NULL;
    explicit FakeAgent(bool hungAgent) : hung(hungAgent)
    {
        HANDLE ready = CreateEventA(NULL, TRUE, FALSE, NULL);
        thread = std::thread([this, ready] {
            WNDCLASSA wc = {};
            wc.lpfnWndProc = AsCallback<WNDPROC>([](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
                FakeAgent* self = (FakeAgent*)GetWindowLongPtrA(h, GWLP_USERDATA);
                if (m == WM_DESTROY && self) {
                    Record("agent got WM_DESTROY");
                    SetEvent(self->ended);
                    PostQuitMessage(0);
                    return 0;
                }
                return DefWindowProcA(h, m, w, l);
            });
            wc.hInstance = GetModuleHandleA(NULL);
            wc.lpszClassName = SZ_AGENT_CLASS;
            RegisterClassA(&wc);
            window = CreateWindowExA(0, SZ_AGENT_CLASS, "ZNVFuture", 0, 0, 0, 0, 0, NULL, NULL, wc.hInstance, NULL);
            SetWindowLongPtrA(window, GWLP_USERDATA, (LONG_PTR)this);
            SetEvent(ready);
            if (hung) {
                ::Sleep(12000);          // not pumping: the agent does not answer
                return;
            }
            MSG msg;
            while (GetMessageA(&msg, NULL, 0, 0) > 0)
                DispatchMessageA(&msg);
        });
        WaitForSingleObject(ready, 5000);
        CloseHandle(ready);
    }
    ~FakeAgent()
    {
        thread.join();
        CloseHandle(ended);
    }
};

FakeAgent* g_agent;

TEST(CloseAgent, WaitsForTheAgentsProcessInsteadOfAFixedSecond)
{
    FakeAgent agent(false);
    g_agent = &agent;
    HOOK(GetWindowThreadProcessId, [](HWND, LPDWORD pid) -> DWORD { *pid = 4242; return 1; });
    HOOK(OpenProcess, [](DWORD access, BOOL, DWORD pid) -> HANDLE {
        Record("OpenProcess(0x%lx, %lu)", access, pid);
        HANDLE copy;
        DuplicateHandle(GetCurrentProcess(), g_agent->ended, GetCurrentProcess(), &copy, 0, FALSE, DUPLICATE_SAME_ACCESS);
        return copy;
    });
    HOOK(Sleep, RecordingSleep);
    g_realSleep = hook_Sleep.Original();
    DWORD t0 = GetTickCount();
    CloseAgent();
    DWORD took = GetTickCount() - t0;
    std::vector<std::string> expected = { "OpenProcess(0x100000, 4242)", "agent got WM_DESTROY" };
    EXPECT_EQ(expected, Calls());
    EXPECT_LT(took, 500u);
}

TEST(CloseAgent, WithoutAProcessHandleFallsBackToTheSecondsPause)
{
    FakeAgent agent(false);
    HOOK(OpenProcess, [](DWORD, BOOL, DWORD) -> HANDLE { return NULL; });
    HOOK(Sleep, RecordingSleep);
    g_realSleep = hook_Sleep.Original();
    CloseAgent();
    std::vector<std::string> expected = { "agent got WM_DESTROY", "Sleep(1000)" };
    EXPECT_EQ(expected, Calls());
}

TEST(CloseAgent, AHungAgentHoldsTheUninstallerAtMostFiveSeconds)
{
    FakeAgent agent(true);
    HOOK(OpenProcess, [](DWORD, BOOL, DWORD) -> HANDLE { return NULL; });
    DWORD t0 = GetTickCount();
    CloseAgent();
    DWORD took = GetTickCount() - t0;
    EXPECT_LT(took, 7000u);
    EXPECT_GE(took, 900u);
}

TEST(CloseAgent, NoAgentNoPause)
{
    HOOK(Sleep, RecordingSleep);
    g_realSleep = hook_Sleep.Original();
    CloseAgent();
    EXPECT_TRUE(Calls().empty());
}

}  // namespace
