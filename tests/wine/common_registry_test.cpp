// ReadRegValue and OpenOrCreateKey against the real Wine registry, with the
// query and open calls hooked where a failure must be forced.
#include <gtest/gtest.h>
#include <cstring>
#include "registry.h"
#include "support/calllog.h"
#include "support/iathook.h"
#include "support/scratch.h"

namespace {

int g_failFirst;          // number of calls that fail before the real one runs

LONG WINAPI CountingQuery(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size)
{
    Record("RegQueryValueExA(%s, offered=%lu, reserved=0x%llx)", name, *size, (unsigned long long)(ULONG_PTR)reserved);
    if (g_failFirst > 0) {
        g_failFirst--;
        return ERROR_MORE_DATA;
    }
    return REAL(RegQueryValueExA)(key, name, reserved, type, data, size);
}

void SetRaw(HKEY key, const char* name, const char* bytes, DWORD len)
{
    RegSetValueExA(key, name, 0, REG_SZ, (const BYTE*)bytes, len);
}

TEST(ReadRegValue, GivesUpAfterFourCallsEachOfferingTheWholeBuffer)
{
    ScratchKey scratch;
    SetRaw(scratch.Key(), "v", "hello", 6);
    HOOK(RegQueryValueExA, CountingQuery);
    g_failFirst = 4;
    char buf[40];
    EXPECT_EQ(0, ReadRegValue(scratch.Key(), "v", buf, sizeof buf));
    std::vector<std::string> expected(4, "RegQueryValueExA(v, offered=40, reserved=0x0)");
    EXPECT_EQ(expected, Calls());
}

TEST(ReadRegValue, StopsAtTheFirstSuccess)
{
    ScratchKey scratch;
    SetRaw(scratch.Key(), "v", "hello", 6);
    HOOK(RegQueryValueExA, CountingQuery);
    g_failFirst = 2;
    char buf[40];
    EXPECT_EQ(1, ReadRegValue(scratch.Key(), "v", buf, sizeof buf));
    EXPECT_STREQ("hello", buf);
    EXPECT_EQ(3u, Calls().size());
}

TEST(ReadRegValue, ValueWithItsNulExactlyFillingTheBufferIsRead)
{
    ScratchKey scratch;
    std::string value(99, 'a');
    SetRaw(scratch.Key(), "v", value.c_str(), 100);
    char buf[101];
    memset(buf, 'M', sizeof buf);
    EXPECT_EQ(1, ReadRegValue(scratch.Key(), "v", buf, 100));
    EXPECT_EQ(value, std::string(buf));
    EXPECT_EQ('M', buf[100]);
}

TEST(ReadRegValue, ValueOneOverTheBufferIsNotRead)
{
    ScratchKey scratch;
    std::string value(100, 'a');
    SetRaw(scratch.Key(), "v", value.c_str(), 101);
    char buf[101];
    memset(buf, 'M', sizeof buf);
    EXPECT_EQ(0, ReadRegValue(scratch.Key(), "v", buf, 100));
    EXPECT_EQ('M', buf[100]);
}

TEST(ReadRegValue, ValueThatFitsOnlyWithoutItsNulIsNotRead)
{
    ScratchKey scratch;
    // 100 characters stored without a terminating NUL
    std::string value(100, 'b');
    SetRaw(scratch.Key(), "v", value.c_str(), 100);
    char buf[101];
    memset(buf, 'M', sizeof buf);
    EXPECT_EQ(0, ReadRegValue(scratch.Key(), "v", buf, 100));
    EXPECT_EQ('M', buf[100]);
    // 99 characters without NUL fit once the NUL is added
    SetRaw(scratch.Key(), "w", value.c_str(), 99);
    EXPECT_EQ(1, ReadRegValue(scratch.Key(), "w", buf, 100));
    EXPECT_EQ(std::string(99, 'b'), std::string(buf));
}

TEST(ReadRegValue, MissingValueFailsAfterFourCalls)
{
    ScratchKey scratch;
    HOOK(RegQueryValueExA, CountingQuery);
    g_failFirst = 0;
    char buf[10];
    EXPECT_EQ(0, ReadRegValue(scratch.Key(), "absent", buf, sizeof buf));
    EXPECT_EQ(4u, Calls().size());
}

TEST(OpenOrCreateKey, OpensAnExistingKeyAndCreatesAMissingOne)
{
    ScratchKey scratch;
    HKEY existing = OpenOrCreateKey(HKEY_CURRENT_USER, scratch.Path().c_str());
    ASSERT_NE((HKEY)NULL, existing);
    RegCloseKey(existing);
    std::string sub = scratch.Path() + "\\new";
    HKEY created = OpenOrCreateKey(HKEY_CURRENT_USER, sub.c_str());
    ASSERT_NE((HKEY)NULL, created);
    RegCloseKey(created);
    HKEY check;
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyA(HKEY_CURRENT_USER, sub.c_str(), &check));
    RegCloseKey(check);
}

TEST(OpenOrCreateKey, FallsBackToCreateAndIsNullWhenBothFail)
{
    HOOK(RegOpenKeyA, [](HKEY, LPCSTR path, PHKEY) -> LONG {
        Record("RegOpenKeyA(%s)", path);
        return ERROR_ACCESS_DENIED;
    });
    HOOK(RegCreateKeyA, [](HKEY, LPCSTR path, PHKEY) -> LONG {
        Record("RegCreateKeyA(%s)", path);
        return ERROR_ACCESS_DENIED;
    });
    EXPECT_EQ((HKEY)NULL, OpenOrCreateKey(HKEY_CURRENT_USER, "Software\\X"));
    std::vector<std::string> expected = { "RegOpenKeyA(Software\\X)", "RegCreateKeyA(Software\\X)" };
    EXPECT_EQ(expected, Calls());
}

}  // namespace
