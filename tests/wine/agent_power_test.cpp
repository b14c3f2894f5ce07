// The power command, the power broadcasts and the resume timer.
#include "agent_harness.h"
#include "support/fakeprivilege.h"

namespace {

const char QUESTION[] = "MessageBoxA(owner=NULL, \"Do you want to power off your computer?\", \"Tandrel\", flags=0x50024)";
const char PRIV_ON[] = "AdjustTokenPrivileges(attributes=0x2";
const char PRIV_OFF[] = "AdjustTokenPrivileges(attributes=0x0";

struct PowerTest : ::testing::Test {
    AgentHarness agent;
    HOOK(ExitWindowsEx, FakeExitWindowsEx);
    HOOK(SetSystemPowerState, FakeSetSystemPowerState);
    HOOK(OpenProcessToken, FakeOpenProcessToken);
    HOOK(LookupPrivilegeValueA, FakeLookupPrivilegeValueA);
    HOOK(AdjustTokenPrivileges, FakeAdjustTokenPrivileges);

    void Start(FakeOs os)
    {
        SetFakeOs(os);
        ASSERT_NE((HWND)NULL, agent.Start());
        Calls().clear();
    }

    // The calls that matter here, shortened to their start.
    std::vector<std::string> Actions()
    {
        std::vector<std::string> out;
        for (const auto& c : Calls()) {
            if (c.rfind("MessageBoxA", 0) == 0 || c.rfind("ExitWindowsEx", 0) == 0 ||
                c.rfind("SetSystemPowerState", 0) == 0)
                out.push_back(c);
            else if (c.rfind("AdjustTokenPrivileges", 0) == 0)
                out.push_back(c.substr(0, sizeof PRIV_ON - 1));
            else if (c.rfind("DeviceIoControl", 0) == 0)
                out.push_back(c.substr(0, c.find(", in=")) + ")");
        }
        return out;
    }

    LRESULT Power(LPARAM action) { return SendMessageA(agent.window, WM_COMMAND, CMD_POWER, action); }
};

TEST_F(PowerTest, NtYesEnablesThePrivilegeShutsDownThenNotifiesAndSwitchesOff)
{
    Start(NT4);
    QueueAnswers({ IDYES, IDYES });
    EXPECT_EQ(0, Power(POWER_KEY));
    std::vector<std::string> expected = { QUESTION, PRIV_ON, "ExitWindowsEx(1, 0)", "DeviceIoControl(device, 0x220008)", PRIV_OFF };
    EXPECT_EQ(expected, Actions());
    Calls().clear();
    EXPECT_EQ(0, Power(MENU_POWER_OFF));
    EXPECT_EQ(expected, Actions());
}

TEST_F(PowerTest, NtRefusedShutdownSendsNoNotice)
{
    Start(WIN7);
    g_exitWindowsResult = false;
    QueueAnswers({ IDYES });
    Power(POWER_KEY);
    std::vector<std::string> expected = { QUESTION, PRIV_ON, "ExitWindowsEx(1, 0)", PRIV_OFF };
    EXPECT_EQ(expected, Actions());
}

TEST_F(PowerTest, NtWithoutThePrivilegeNoShutdownIsRequestedButItIsStillSwitchedOff)
{
    Start(WIN7);
    g_fakeToken.looksUp = false;
    QueueAnswers({ IDYES });
    Power(POWER_KEY);
    EXPECT_EQ(std::vector<std::string>{ QUESTION }, Actions());
    EXPECT_EQ(2u, CallsTo("LookupPrivilegeValueA").size());
}

TEST_F(PowerTest, NineXYesNotifiesTheDriverBeforeAskingWindows)
{
    Start(WIN98);
    QueueAnswers({ IDYES });
    Power(MENU_POWER_OFF);
    std::vector<std::string> expected = { QUESTION, "DeviceIoControl(device, 0x6b)", "ExitWindowsEx(1, 0)" };
    EXPECT_EQ(expected, Actions());
    g_exitWindowsResult = false;        // its result is not examined on 9x
    Calls().clear();
    QueueAnswers({ IDYES });
    Power(POWER_KEY);
    EXPECT_EQ(expected, Actions());
}

TEST_F(PowerTest, NoDoesNothingAtAllOnEitherFamily)
{
    for (FakeOs os : { WIN98, WIN7 }) {
        SetFakeOs(os);
        if (!agent.window)
            Start(os);
        Calls().clear();
        QueueAnswers({ IDNO, IDNO });
        Power(POWER_KEY);
        Power(MENU_POWER_OFF);
        std::vector<std::string> expected = { QUESTION, QUESTION };
        EXPECT_EQ(expected, Actions());
    }
}

TEST_F(PowerTest, SleepSuspendsAtOnceWithoutQuestionOrNotice)
{
    Start(WIN7);
    Power(SLEEP_KEY);
    Power(MENU_SLEEP);
    std::vector<std::string> expected = { "SetSystemPowerState(1, 0)", "SetSystemPowerState(1, 0)" };
    EXPECT_EQ(expected, Actions());
}

TEST_F(PowerTest, OtherValuesDoNothing)
{
    Start(WIN7);
    for (LPARAM v : { 0, 1, 99, 102, 199, 202, -100 })
        EXPECT_EQ(0, Power(v));
    EXPECT_TRUE(Actions().empty());
}

TEST_F(PowerTest, SuspendBroadcastSendsThePowerDownNoticeAndKeepsTheDefaultAnswer)
{
    Start(WIN98);
    LRESULT def = DefWindowProcA(agent.window, WM_POWERBROADCAST, PBT_APMQUERYSUSPEND, 0);
    EXPECT_EQ(def, SendMessageA(agent.window, WM_POWERBROADCAST, PBT_APMQUERYSUSPEND, 0));
    EXPECT_EQ(def, SendMessageA(agent.window, WM_POWERBROADCAST, PBT_APMSUSPEND, 0));
    SetFakeOs(NT4);
    SendMessageA(agent.window, WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
    std::vector<std::string> expected = { "DeviceIoControl(device, 0x6b)", "DeviceIoControl(device, 0x220008)" };
    EXPECT_EQ(expected, Actions());
}

TEST_F(PowerTest, OtherResumeEventsStartNoTimer)
{
    Start(WIN7);
    SendMessageA(agent.window, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
    SendMessageA(agent.window, WM_POWERBROADCAST, PBT_APMRESUMECRITICAL, 0);
    Pump(4500);
    EXPECT_TRUE(Actions().empty());
}

TEST_F(PowerTest, TwoResumesWithin4000MsGiveOneNotice4000MsAfterTheLast)
{
    Start(WIN7);
    SendMessageA(agent.window, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
    Pump(1000);
    DWORD last = GetTickCount();
    SendMessageA(agent.window, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
    DWORD noticeAt = 0;
    while (GetTickCount() - last < 6000) {
        Pump(10);
        if (!noticeAt && !CallsTo("DeviceIoControl(device, 0x22000c").empty())
            noticeAt = GetTickCount();
    }
    EXPECT_EQ(1u, CallsTo("DeviceIoControl(device, 0x22000c").size());
    ASSERT_NE(0u, noticeAt);
    EXPECT_GE(noticeAt - last, 3900u);
    EXPECT_LE(noticeAt - last, 4600u);
}

TEST_F(PowerTest, ResumeNoticeUsesThe9xCodeOnThe9xFamily)
{
    Start(WIN98);
    SendMessageA(agent.window, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
    SendMessageA(agent.window, WM_TIMER, RESUME_TIMER_ID, 0);   // as the timer would
    EXPECT_EQ(std::vector<std::string>{ "DeviceIoControl(device, 0x6c)" }, Actions());
    Pump(4500);                                                   // killed: it does not fire again
    EXPECT_EQ(1u, Actions().size());
}

}  // namespace
