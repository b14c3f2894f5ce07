// Key records from the fake driver become power commands posted by the
// reader thread, and the reader allocates nothing while it runs.
#include "agent_harness.h"
#include <atomic>

namespace {

constexpr unsigned BREAK = 1;   // key released
constexpr unsigned E0 = 2;      // E0-prefixed scan code

BOOL WINAPI RecordingPost(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_COMMAND && wParam == CMD_POWER) {
        Record("post(%s, 1124, %ld)", OwnerName(hwnd), (long)lParam);
        return TRUE;
    }
    return REAL(PostMessageA)(hwnd, msg, wParam, lParam);
}

struct ReaderTest : ::testing::Test {
    AgentHarness agent{ WIN7 };
    HOOK(PostMessageA, RecordingPost);

    void SetUp() override
    {
        ASSERT_NE((HWND)NULL, agent.Start());
        Calls().clear();
    }

    std::vector<std::string> Feed(const std::string& bytes)
    {
        agent.driver.Inject(bytes);
        EXPECT_TRUE(agent.driver.WaitDrained());
        return CallsTo("post");
    }
};

TEST_F(ReaderTest, ReleasedPowerAndSleepKeysPostTheirCommands)
{
    std::vector<std::string> expected = { "post(main, 1124, 100)" };
    EXPECT_EQ(expected, Feed(KeyRecord(0x5E, BREAK | E0)));
    Calls().clear();
    expected = { "post(main, 1124, 101)" };
    EXPECT_EQ(expected, Feed(KeyRecord(0x5F, BREAK | E0)));
    EXPECT_EQ(std::vector<std::string>{ "ReadFile(device, 1200, overlapped=NULL) -> 12 bytes" }, CallsTo("ReadFile"));
}

TEST_F(ReaderTest, PressesAndKeysWithoutE0PostNothing)
{
    std::string read = KeyRecord(0x5E, E0) + KeyRecord(0x5F, E0) +
                       KeyRecord(0x5E, BREAK) + KeyRecord(0x5F, BREAK) +
                       KeyRecord(0xDE, BREAK) + KeyRecord(0x1E, BREAK | E0);
    EXPECT_TRUE(Feed(read).empty());
}

TEST_F(ReaderTest, TheTestIsOnTheAdjustedCode)
{
    // 0xDE with E0 but no break flag is already the adjusted Power code.
    EXPECT_EQ(std::vector<std::string>{ "post(main, 1124, 100)" }, Feed(KeyRecord(0xDE, E0)));
    Calls().clear();
    // Flags bits other than break and E0 are not examined.
    EXPECT_EQ(std::vector<std::string>{ "post(main, 1124, 101)" },
              Feed(KeyRecord(0x5F, 0xFFF0 | BREAK | E0)));
}

TEST_F(ReaderTest, ReadLengthsCountWholeRecordsOnly)
{
    std::string power = KeyRecord(0x5E, BREAK | E0);
    std::string full;
    for (int i = 0; i < 100; i++)
        full += power;
    EXPECT_EQ(100u, Feed(full).size());
    Calls().clear();
    EXPECT_EQ(1u, Feed(power + "x").size());          // 13 bytes: one record
    Calls().clear();
    EXPECT_EQ(0u, Feed(power.substr(0, 11)).size());  // 11 bytes: none
    Calls().clear();
    EXPECT_EQ(0u, Feed("").size());                    // an empty read is no error
}

TEST_F(ReaderTest, SeveralMatchesInOneReadPostInBufferOrder)
{
    std::string read = KeyRecord(0x5F, BREAK | E0) + KeyRecord(0x30, BREAK) +
                       KeyRecord(0x5E, BREAK | E0) +
                       KeyRecord(0x5E, BREAK | E0);
    std::vector<std::string> expected = { "post(main, 1124, 101)", "post(main, 1124, 100)", "post(main, 1124, 100)" };
    EXPECT_EQ(expected, Feed(read));
}

TEST_F(ReaderTest, AFailedReadIsSkippedAndTheReaderWaitsForTheNextSignal)
{
    SetEvent(agent.driver.registeredEvent);   // signalled with nothing queued: the read fails
    Sleep(50);
    EXPECT_EQ(1u, CallsTo("ReadFile(device, 1200, overlapped=NULL) -> nothing queued").size());
    EXPECT_EQ(std::vector<std::string>{ "post(main, 1124, 100)" },
              Feed(KeyRecord(0x5E, BREAK | E0)));
}

std::atomic<DWORD> g_readerId;
std::atomic<int> g_readerAllocations;

void CountIfReader()
{
    if (GetCurrentThreadId() == g_readerId)
        g_readerAllocations++;
}

TEST_F(ReaderTest, HundredReadsOfHundredRecordsAllocateNothing)
{
    Feed(KeyRecord(0x10, 0));                // learn the reader's thread id
    g_readerId = agent.driver.readerThreadId;
    ASSERT_NE(0u, g_readerId.load());
    // The reader reaches an allocator only through an import of this
    // executable: one that is imported is counted, one that is not cannot
    // be called at all.
    std::vector<std::shared_ptr<void>> hooks;
    if (IsImported("HeapAlloc"))
        hooks.push_back(ARM_HOOK(HeapAlloc, PassThrough{ [](HANDLE, DWORD, SIZE_T) { CountIfReader(); } }));
    if (IsImported("LocalAlloc"))
        hooks.push_back(ARM_HOOK(LocalAlloc, PassThrough{ [](UINT, SIZE_T) { CountIfReader(); } }));
    if (IsImported("GlobalAlloc"))
        hooks.push_back(ARM_HOOK(GlobalAlloc, PassThrough{ [](UINT, SIZE_T) { CountIfReader(); } }));
    if (IsImported("VirtualAlloc"))
        hooks.push_back(ARM_HOOK(VirtualAlloc, PassThrough{ [](LPVOID, SIZE_T, DWORD, DWORD) { CountIfReader(); } }));
    std::string read;
    for (int i = 0; i < 100; i++)
        read += KeyRecord(i % 2 ? 0x5E : 0x5F, BREAK | E0);
    Calls().clear();
    for (int i = 0; i < 100; i++)
        Feed(read);
    EXPECT_EQ(10000u, CallsTo("post").size());
    EXPECT_EQ(0, g_readerAllocations.load());
}

}  // namespace
