// Load: a burst of posted power commands and fast reads from the driver.
#include "agent_harness.h"
#include <atomic>
#include <thread>

namespace {

std::atomic<int> g_questions;

int WINAPI CountingNo(HWND, LPCSTR, LPCSTR, UINT)
{
    g_questions++;
    return IDNO;
}

TEST(Burst, TenThousandPostedPowerCommandsGiveTenThousandQuestionsAndNoDeadlock)
{
    AgentHarness agent;
    HWND w = agent.Start();
    ASSERT_NE((HWND)NULL, w);
    HOOK(MessageBoxA, CountingNo);
    std::atomic<int> refused{ 0 };
    std::thread poster([&] {
        for (int i = 0; i < 10000; i++) {
            // A full queue refuses the post; the poster waits and posts again.
            while (!PostMessageA(w, WM_COMMAND, CMD_POWER, POWER_KEY)) {
                refused++;
                Sleep(1);
            }
        }
    });
    DWORD t0 = GetTickCount();
    while (g_questions < 10000 && GetTickCount() - t0 < 30000)
        Pump(1);
    poster.join();
    Pump();
    EXPECT_EQ(10000, g_questions.load());
    EXPECT_TRUE(CallsTo("DeviceIoControl(device, 0x220008").empty());      // every answer was No
    printf("posts refused by a full queue and repeated: %d\n", refused.load());
    // The stop sequence still ends the reader.
    HANDLE reader = g_readerThread;
    DestroyWindow(w);
    DWORD code = 0;
    GetExitCodeThread(reader, &code);
    EXPECT_NE((DWORD)STILL_ACTIVE, code);
}

}  // namespace
