// Opening, starting and stopping the driver channel on both families.
#include "agent_harness.h"
#include "footprint.h"

namespace {

std::string HandleBytes(HANDLE h)
{
    DWORD v = (DWORD)(ULONG_PTR)h;
    char b[16];
    snprintf(b, sizeof b, "%02lx %02lx %02lx %02lx", v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF, v >> 24);
    return b;
}

std::vector<std::string> DriverCalls()
{
    std::vector<std::string> out;
    for (const auto& c : Calls())
        if (c.rfind("GetVersionExA", 0) != 0)
            out.push_back(c);
    return out;
}

TEST(NtChannel, StartsTheServiceOpensTheDeviceAndRegistersTheEvent)
{
    AgentHarness agent(NT4);
    ASSERT_NE((HWND)NULL, agent.Start());
    std::vector<std::string> expected = {
        "OpenSCManagerA(NULL, NULL, 0x1)",              // SC_MANAGER_CONNECT
        "OpenServiceA(manager, VOREL12, 0x14)",         // SERVICE_START | SERVICE_QUERY_STATUS
        "StartServiceA(service, 0, NULL)",
        "CloseServiceHandle(manager)",
        "CloseServiceHandle(service)",
        "CreateFileA(\\\\.\\VOREL12, access=0xc0000000, share=1, sa=NULL, disposition=3, flags=0x0, template=NULL)",
        "DeviceIoControl(device, 0x220000, in=[" + HandleBytes(g_event) + "], out=NULL/0, returned=set, overlapped=NULL)",
    };
    EXPECT_EQ(expected, DriverCalls());
    EXPECT_EQ(g_event, agent.driver.registeredEvent);
    EXPECT_NE((HANDLE)NULL, g_readerThread);
    EXPECT_TRUE(CallsTo("MessageBoxA").empty());
}

TEST(NtChannel, AServiceThatAlreadyRunsCountsAsStarted)
{
    AgentHarness agent(WIN7);
    agent.driver.start = FakeDriver::ALREADY_RUNNING;
    ASSERT_NE((HWND)NULL, agent.Start());
    EXPECT_EQ(1u, CallsTo("CreateFileA(\\\\.\\VOREL12").size());
}

TEST(NtChannel, AUserWhoIsNoAdministratorOpensTheChannel)
{
    // What Windows gives such a user: a manager to connect to, and the
    // service's start only through setup's entry for the interactive users.
    struct Row {
        DWORD serviceRights;
        bool running;
        bool opens;
    } rows[] = {
        { SERVICE_START | SERVICE_QUERY_STATUS, false, true },
        { SERVICE_QUERY_STATUS, true, true },       // the start is refused, the driver runs already
        { SERVICE_QUERY_STATUS, false, false },
    };
    for (const Row& row : rows) {
        AgentHarness agent(WIN7);
        agent.driver.managerRights = SC_MANAGER_CONNECT;
        agent.driver.serviceRights = row.serviceRights;
        agent.driver.running = row.running;
        EXPECT_EQ(row.opens, agent.Start() != NULL) << row.serviceRights << row.running;
        EXPECT_EQ(row.opens ? 1u : 0u, CallsTo("CreateFileA(\\\\.\\VOREL12").size());
        EXPECT_TRUE(CallsTo("MessageBoxA").empty());
        EXPECT_EQ(2u, CallsTo("CloseServiceHandle").size());
    }
}

TEST(NtChannel, AServiceThatCannotStartEndsTheAgentSilently)
{
    AgentHarness agent(WIN7);
    agent.driver.start = FakeDriver::CANNOT_START;
    EXPECT_EQ((HWND)NULL, agent.Start());
    EXPECT_TRUE(CallsTo("MessageBoxA").empty());
    EXPECT_TRUE(CallsTo("CreateFileA").empty());
    // Both service handles are closed whatever the outcome.
    EXPECT_EQ(2u, CallsTo("CloseServiceHandle").size());
    // The stop sequence ran: no thread to end, the stop request still goes out.
    EXPECT_EQ(1u, CallsTo("DeviceIoControl(null, 0x220004").size());
}

TEST(NtChannel, ManagerOrServiceThatCannotBeOpenedEndsTheAgentSilently)
{
    {
        AgentHarness agent(WIN7);
        agent.driver.managerOpens = false;
        EXPECT_EQ((HWND)NULL, agent.Start());
        EXPECT_TRUE(CallsTo("OpenServiceA").empty());
    }
    AgentHarness agent(WIN7);
    agent.driver.serviceOpens = false;
    EXPECT_EQ((HWND)NULL, agent.Start());
    EXPECT_EQ(std::vector<std::string>{ "CloseServiceHandle(manager)" }, CallsTo("CloseServiceHandle"));
    EXPECT_TRUE(CallsTo("StartServiceA").empty());
    EXPECT_TRUE(CallsTo("MessageBoxA").empty());
}

TEST(NtChannel, ADeviceThatCannotBeOpenedShowsString3OwnedByTheMainWindow)
{
    AgentHarness agent(NT4);
    agent.driver.deviceOpens = false;
    EXPECT_EQ((HWND)NULL, agent.Start());
    EXPECT_EQ(std::vector<std::string>{ "MessageBoxA(owner=main, \"Can not open kernel service file.\", \"Zolvar\", flags=0x40)" },
              CallsTo("MessageBoxA"));
    EXPECT_TRUE(CallsTo("DeviceIoControl(device, 0x220000").empty());
}

TEST(NtChannel, AFailedRegisterRequestEndsTheAgentAndStopsWithoutAThread)
{
    AgentHarness agent(WIN7);
    agent.driver.registerSucceeds = false;
    EXPECT_EQ((HWND)NULL, agent.Start());
    EXPECT_EQ((HANDLE)NULL, g_readerThread);
    EXPECT_TRUE(CallsTo("MessageBoxA").empty());
    int reg = IndexOf("DeviceIoControl(device, 0x220000");
    int stop = IndexOf("DeviceIoControl(device, 0x220004");
    ASSERT_GE(reg, 0);
    EXPECT_GT(stop, reg);
}

TEST(NtChannel, StopEndsTheReaderResetsTheEventAndSendsTheStopRequest)
{
    AgentHarness agent(WIN7);
    ASSERT_NE((HWND)NULL, agent.Start());
    HANDLE thread, event = g_event;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), g_readerThread, GetCurrentProcess(), &thread, 0, FALSE,
                                DUPLICATE_SAME_ACCESS));
    Calls().clear();
    DestroyWindow(agent.window);
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeThread(thread, &code));
    CloseHandle(thread);
    EXPECT_NE((DWORD)STILL_ACTIVE, code);
    const std::vector<std::string> stop{ "DeviceIoControl(device, 0x220004, in=[NULL], out=NULL/0, returned=set, overlapped=NULL)" };
    EXPECT_EQ(stop, CallsTo("DeviceIoControl"));
    EXPECT_EQ(0, g_running);
    // The device handle is never closed.
    EXPECT_TRUE(CallsTo("CloseHandle(device)").empty());

    // A second stop (a second WM_DESTROY) leaves alone a handle that took
    // the closed event's value.
    HANDLE reused = NULL;
    std::vector<HANDLE> others;
    for (int i = 0; i < 16 && reused != event; i++) {
        if (reused)
            others.push_back(reused);
        reused = CreateEventA(NULL, TRUE, TRUE, NULL);
    }
    ASSERT_EQ(event, reused);
    Calls().clear();
    StopChannel();
    EXPECT_EQ(stop, CallsTo("DeviceIoControl"));
    EXPECT_EQ((DWORD)WAIT_OBJECT_0, WaitForSingleObject(reused, 0));
    for (HANDLE h : others)
        CloseHandle(h);
    EXPECT_TRUE(CloseHandle(reused));
}

TEST(VxdChannel, AnAlreadyLoadedVxdIsUsedWithoutTheLoader)
{
    AgentHarness agent(WIN98);
    ASSERT_NE((HWND)NULL, agent.Start());
    std::vector<std::string> expected = {
        "CreateFileA(\\\\.\\VOREL12, access=0x0, share=0, sa=NULL, disposition=0, flags=0x0, template=NULL)",
        "DeviceIoControl(device, 0x64, in=[" + HandleBytes(agent.window) + "], out=NULL/0, returned=set, overlapped=NULL)",
    };
    EXPECT_EQ(expected, DriverCalls());
    EXPECT_EQ((HANDLE)NULL, g_readerThread);
    EXPECT_TRUE(CallsTo("OpenSCManagerA").empty());
}

TEST(VxdChannel, TheLoaderLoadsTheVxdFromTheAgentsOwnFolderByItsShortPath)
{
    AgentHarness agent(WIN98);
    agent.driver.deviceOpens = false;
    ASSERT_NE((HWND)NULL, agent.Start());
    char module[MAX_PATH];
    GetModuleFileNameA(NULL, module, sizeof module);
    std::string folder(module, strrchr(module, '\\') + 1);
    std::string shortPath = agent.driver.shortPath;
    std::string pathBytes;
    for (unsigned char c : shortPath + std::string(1, '\0')) {
        char b[4];
        snprintf(b, sizeof b, pathBytes.empty() ? "%02x" : " %02x", c);
        pathBytes += b;
    }
    std::vector<std::string> expected = {
        "CreateFileA(\\\\.\\VOREL12, access=0x0, share=0, sa=NULL, disposition=0, flags=0x0, template=NULL)",
        "CreateFileA(\\\\.\\VXDLDR, access=0x80000000, share=1, sa=NULL, disposition=3, flags=0x80, template=NULL)",
        "GetShortPathNameA(" + folder + "vorel12v.vxd, 150)",
        "DeviceIoControl(loader, 0x1, in=[" + pathBytes + "], out=NULL/0, returned=set, overlapped=NULL)",
        "CreateFileA(\\\\.\\VOREL12, access=0x0, share=0, sa=NULL, disposition=0, flags=0x0, template=NULL)",
        "CloseHandle(loader)",
        "DeviceIoControl(device, 0x64, in=[" + HandleBytes(agent.window) + "], out=NULL/0, returned=set, overlapped=NULL)",
    };
    EXPECT_EQ(expected, DriverCalls());
    EXPECT_EQ(shortPath.size() + 1, (size_t)std::count(pathBytes.begin(), pathBytes.end(), ' ') + 1);
}

TEST(VxdChannel, AMissingVxdFileShowsString4AndStillRequestsTheUnload)
{
    AgentHarness agent(WIN98);
    agent.driver.deviceOpens = false;
    agent.driver.vxdFileFound = false;
    agent.driver.unloadSucceeds = false;
    EXPECT_EQ((HWND)NULL, agent.Start());
    EXPECT_TRUE(CallsTo("DeviceIoControl(loader, 0x1").empty());
    std::vector<std::string> boxes = CallsTo("MessageBoxA");
    ASSERT_EQ(2u, boxes.size());
    EXPECT_EQ("MessageBoxA(owner=main, \"Can not find xx.vxd file.\", \"Zolvar\", flags=0x40)", boxes[0]);
    // The refused unload shows the system's text for the error, no owner.
    char text[256] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, NULL, ERROR_ACCESS_DENIED, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text,
                   sizeof text, NULL);
    EXPECT_EQ("MessageBoxA(owner=NULL, " + Quote(text) + ", \"Ossivane\", flags=0x40)", boxes[1]);
    EXPECT_EQ(1u, CallsTo("DeviceIoControl(invalid, 0x6a").size());
}

TEST(VxdChannel, NoLoaderShowsString4)
{
    AgentHarness agent(WIN98);
    agent.driver.deviceOpens = false;
    agent.driver.loaderOpens = false;
    EXPECT_EQ((HWND)NULL, agent.Start());
    EXPECT_EQ(std::vector<std::string>{ "MessageBoxA(owner=main, \"Can not find xx.vxd file.\", \"Zolvar\", flags=0x40)" },
              CallsTo("MessageBoxA"));
    EXPECT_TRUE(CallsTo("GetShortPathNameA").empty());
}

TEST(VxdChannel, StopSendsRequest106AndUnloadsByNameWithTwelveBytes)
{
    AgentHarness agent(WIN98);
    ASSERT_NE((HWND)NULL, agent.Start());
    Calls().clear();
    DestroyWindow(agent.window);
    std::vector<std::string> expected = {
        "DeviceIoControl(device, 0x6a, in=[NULL], out=NULL/0, returned=set, overlapped=NULL)",
        "CreateFileA(\\\\.\\VXDLDR, access=0x80000000, share=1, sa=NULL, disposition=3, flags=0x80, template=NULL)",
        "DeviceIoControl(loader, 0x2, in=[ff ff ff ff 56 4f 52 45 4c 31 32 00], out=NULL/0, returned=set, overlapped=NULL)",
        "CloseHandle(loader)",
    };
    EXPECT_EQ(expected, DriverCalls());
    EXPECT_TRUE(CallsTo("MessageBoxA").empty());
}

TEST(VxdChannel, Request104GoesOutOnThe9xFamilyOnly)
{
    {
        AgentHarness agent(WIN98);
        ASSERT_NE((HWND)NULL, agent.Start());
        Calls().clear();
        EXPECT_EQ(0, SendMessageA(agent.window, WM_COMMAND, CMD_REQUEST_104, 0));
        EXPECT_EQ(std::vector<std::string>{ "DeviceIoControl(device, 0x68, in=[NULL], out=NULL/0, returned=set, overlapped=NULL)" },
                  CallsTo("DeviceIoControl"));
        SetFakeOs(WIN7);
        Calls().clear();
        SendMessageA(agent.window, WM_COMMAND, CMD_REQUEST_104, 0);
        EXPECT_TRUE(CallsTo("DeviceIoControl").empty());
    }
}

}  // namespace
