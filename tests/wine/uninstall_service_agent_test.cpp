// The driver service removal with its states forced, and the closing of a
// quick agent, one that keeps a box open, and a hung one.
#include "uninstall_harness.h"
#include "support/fakedriver.h"
#include <thread>

namespace {

// Our pauses are recorded and skipped; the thread library's Sleep(0) yields
// run for real.
void WINAPI RecordingSleep(DWORD ms)
{
    if (ms == 0) {
        REAL(Sleep)(0);
        return;
    }
    Record("Sleep(%lu)", ms);
}

// The service manager's calls, and our pauses, recorded.
struct ServiceHooks : FakeServices {
    HOOK(Sleep, RecordingSleep);
};

TEST(RemoveDriverService, LockHeldTwiceBeforeItIsGranted)
{
    ServiceHooks scm;
    scm.refusedLocks = 2;
    EXPECT_EQ(1, RemoveDriverService());
    std::vector<std::string> expected = {
        "OpenSCManagerA(NULL, NULL, 0xf003f)",
        "OpenServiceA(manager, VOREL12, 0xf01ff)", "QueryServiceStatus(service)", "CloseServiceHandle(service)",
        "OpenServiceA(manager, VOREL12, 0xf01ff)",
        "LockServiceDatabase(manager)", "Sleep(100)", "LockServiceDatabase(manager)", "Sleep(100)",
        "LockServiceDatabase(manager)", "DeleteService(service)", "UnlockServiceDatabase", "CloseServiceHandle(service)",
        "CloseServiceHandle(manager)",
    };
    EXPECT_EQ(expected, Calls());
}

TEST(RemoveDriverService, ARunningKernelDriverIsMarkedForDeletionWithOutcome2)
{
    ServiceHooks scm;
    scm.running = true;
    EXPECT_EQ(2, RemoveDriverService());
    EXPECT_EQ(1u, CallsTo("DeleteService").size());
}

TEST(RemoveDriverService, AMissingServiceIsOutcome1WithoutALock)
{
    ServiceHooks scm;
    scm.serviceOpens = false;
    EXPECT_EQ(1, RemoveDriverService());
    EXPECT_TRUE(CallsTo("LockServiceDatabase").empty());
    EXPECT_TRUE(CallsTo("DeleteService").empty());
}

TEST(RemoveDriverService, AFailingManagerOrDeletionIsOutcome0)
{
    ServiceHooks scm;
    scm.managerOpens = false;
    EXPECT_EQ(0, RemoveDriverService());
    EXPECT_EQ(std::vector<std::string>{ "OpenSCManagerA(NULL, NULL, 0xf003f)" }, Calls());
    scm.managerOpens = true;
    scm.deletes = false;
    EXPECT_EQ(0, RemoveDriverService());
}

TEST(RemoveDriverService, ALockNeverGrantedGivesUpAfterAMinuteOfTries)
{
    ServiceHooks scm;
    scm.refusedLocks = 1000000;
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
// window sets when it has ended. On WM_DESTROY it may keep a box open for a
// while (answering messages, as a message box does), then stop answering,
// before it ends; or it may not answer at all from the start.
struct FakeAgent {
    HANDLE ended = CreateEventA(NULL, TRUE, FALSE, NULL);
    DWORD boxMs, hangMs;
    bool hungFromStart;
    std::thread thread;
    HWND window = NULL;
    explicit FakeAgent(DWORD box = 0, DWORD hang = 0, bool hung = false) : boxMs(box), hangMs(hang), hungFromStart(hung)
    {
        HANDLE ready = CreateEventA(NULL, TRUE, FALSE, NULL);
        thread = std::thread([this, ready] {
            WNDCLASSA wc = {};
            wc.lpfnWndProc = Proc;
            wc.hInstance = GetModuleHandleA(NULL);
            wc.lpszClassName = SZ_AGENT_CLASS;
            RegisterClassA(&wc);
            window = CreateWindowExA(0, SZ_AGENT_CLASS, "ZNVFuture", 0, 0, 0, 0, 0, NULL, NULL, wc.hInstance, NULL);
            SetWindowLongPtrA(window, GWLP_USERDATA, (LONG_PTR)this);
            SetEvent(ready);
            if (hungFromStart) {
                ::Sleep(hangMs);         // not pumping: the agent does not answer
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
    static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l)
    {
        FakeAgent* self = (FakeAgent*)GetWindowLongPtrA(h, GWLP_USERDATA);
        if (m != WM_DESTROY || !self)
            return DefWindowProcA(h, m, w, l);
        Record("agent got WM_DESTROY");
        for (DWORD t0 = GetTickCount(); GetTickCount() - t0 < self->boxMs;) {
            MsgWaitForMultipleObjects(0, NULL, FALSE, 50, QS_ALLINPUT);
            MSG msg;
            while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
                DispatchMessageA(&msg);
        }
        if (self->hangMs)
            ::Sleep(self->hangMs);
        Record("agent ended");
        SetEvent(self->ended);
        PostQuitMessage(0);
        return 0;
    }
};

FakeAgent* g_agent;

DWORD WINAPI AgentThreadProcessId(HWND, LPDWORD pid)
{
    *pid = 4242;
    return 1;
}

// The agent's "process" handle is a copy of its ended event.
HANDLE WINAPI OpenAgentProcess(DWORD access, BOOL, DWORD pid)
{
    Record("OpenProcess(0x%lx, %lu)", access, pid);
    HANDLE copy;
    DuplicateHandle(GetCurrentProcess(), g_agent->ended, GetCurrentProcess(), &copy, 0, FALSE, DUPLICATE_SAME_ACCESS);
    return copy;
}

HANDLE WINAPI NoProcess(DWORD, BOOL, DWORD)
{
    return NULL;
}

TEST(CloseAgents, WaitsForTheAgentsProcessInsteadOfAFixedSecond)
{
    FakeAgent agent;
    g_agent = &agent;
    HOOK(GetWindowThreadProcessId, AgentThreadProcessId);
    HOOK(OpenProcess, OpenAgentProcess);
    HOOK(Sleep, RecordingSleep);
    DWORD t0 = GetTickCount();
    CloseAgents(0, NULL);
    DWORD took = GetTickCount() - t0;
    std::vector<std::string> expected = { "OpenProcess(0x100000, 4242)", "agent got WM_DESTROY", "agent ended" };
    EXPECT_EQ(expected, Calls());
    EXPECT_LT(took, 500u);
}

TEST(CloseAgents, WithoutAProcessHandleWatchesTheWindowThenPausesASecond)
{
    FakeAgent agent;
    HOOK(OpenProcess, NoProcess);
    HOOK(Sleep, RecordingSleep);
    CloseAgents(0, NULL);
    EXPECT_FALSE(IsWindow(agent.window));
    std::vector<std::string> calls = Calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ("Sleep(1000)", calls.back());
    EXPECT_EQ(1u, CallsTo("agent got WM_DESTROY").size());
    EXPECT_EQ(1u, CallsTo("Sleep(1000)").size());
}

// Left only once it has not answered for five seconds: checked every half
// second, so within about six; with the process unwatched, the second's
// pause follows.
TEST(CloseAgents, AnAgentIsLeftOnlyAfterFiveSecondsWithoutAnAnswer)
{
    struct Row {
        const char* agent;
        DWORD boxMs, hangMs;
        bool hungFromStart, process;
        DWORD atLeast, below;
    };
    const Row rows[] = {
        { "hung from the start", 0, 8000, true, false, 5500, 7800 },
        { "answering for 2 s, then hung", 2000, 8000, false, true, 6400, 9500 },
    };
    for (const Row& row : rows) {
        FakeAgent agent(row.boxMs, row.hangMs, row.hungFromStart);
        g_agent = &agent;
        HOOK(GetWindowThreadProcessId, AgentThreadProcessId);
        std::shared_ptr<void> process = row.process ? ARM_HOOK(OpenProcess, OpenAgentProcess)
                                                    : ARM_HOOK(OpenProcess, NoProcess);
        DWORD t0 = GetTickCount();
        CloseAgents(0, NULL);
        DWORD took = GetTickCount() - t0;
        EXPECT_GE(took, row.atLeast) << row.agent;
        EXPECT_LT(took, row.below) << row.agent;
        EXPECT_TRUE(CallsTo("agent ended").empty()) << row.agent;
    }
}

// A setup dialog that waits for the agent still answers: the caller's own
// window handles what was posted to it before the agent ends, whether its
// process or only its window is watched.
TEST(CloseAgents, TheCallersWindowsAnswerWhileItWaits)
{
    HWND own = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, NULL, NULL, NULL, NULL);
    SetWindowLongPtrA(own, GWLP_WNDPROC, (LONG_PTR)AsCallback<WNDPROC>([](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
                          if (m == WM_APP)
                              Record("the caller's window answered");
                          return DefWindowProcA(h, m, w, l);
                      }));
    for (bool watched : { true, false }) {
        FakeAgent agent(600);
        g_agent = &agent;
        HOOK(GetWindowThreadProcessId, AgentThreadProcessId);
        std::shared_ptr<void> process = watched ? ARM_HOOK(OpenProcess, OpenAgentProcess) : ARM_HOOK(OpenProcess, NoProcess);
        Calls().clear();
        PostMessageA(own, WM_APP, 0, 0);
        CloseAgents(0, NULL);
        int answered = IndexOf("the caller's window answered");
        EXPECT_GE(answered, 0) << watched;
        EXPECT_LT(answered, IndexOf("agent ended")) << watched;
    }
    DestroyWindow(own);
}

TEST(CloseAgents, NoAgentNoPause)
{
    HOOK(Sleep, RecordingSleep);
    CloseAgents(0, NULL);
    EXPECT_TRUE(Calls().empty());
}

// A refused unload keeps the agent's box open for longer than any fixed
// limit: nothing of the destination goes before the agent has ended, and the
// removal then completes.
TEST(CloseAgents, TheDestinationStaysUntilAnAgentWithABoxOpenHasEnded)
{
    HOOK(GetVersionExA, FakeGetVersionExA);
    HOOK(MessageBoxA, FakeMessageBoxA);
    SetFakeOs(WIN98);
    Installed inst(false);
    RemovalRecorder rec;
    FakeAgent agent(11000);
    g_agent = &agent;
    HOOK(GetWindowThreadProcessId, AgentThreadProcessId);
    HOOK(OpenProcess, OpenAgentProcess);
    QueueAnswers({ IDYES });
    EXPECT_EQ(0, RunUninstaller());
    int ended = IndexOf("agent ended");
    ASSERT_GE(ended, 0);
    EXPECT_LT(IndexOf("agent got WM_DESTROY"), ended);
    EXPECT_LT(ended, IndexOf("DeleteFileA(" + inst.dest.substr(0, inst.dest.size() - 1)));
    EXPECT_FALSE(FolderExists(inst.dest));
    EXPECT_NE(std::string::npos, CallsTo("MessageBoxA").back().find("This program has been uninstalled successfully."));
}

}  // namespace
