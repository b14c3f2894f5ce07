// The driver service removal with its states forced, and the closing of a
// quick agent, one that keeps a box open, and a hung one.
#include "uninstall_harness.h"
#include "support/fakeagent.h"
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
