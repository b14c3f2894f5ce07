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

// Up to four calls, each offering the whole buffer: four failures give up,
// a success ends the tries.
TEST(ReadRegValue, TriesFourTimesAndStopsAtTheFirstSuccess)
{
    ScratchKey scratch;
    SetRaw(scratch.Key(), "v", "hello", 6);
    HOOK(RegQueryValueExA, CountingQuery);
    for (int failing : { 4, 2 }) {
        Calls().clear();
        g_failFirst = failing;
        char buf[40];
        EXPECT_EQ(failing == 4 ? 0 : 1, ReadRegValue(scratch.Key(), "v", buf, sizeof buf)) << failing;
        if (failing == 4) {
            EXPECT_EQ(std::vector<std::string>(4, "RegQueryValueExA(v, offered=40, reserved=0x0)"), Calls());
        } else {
            EXPECT_STREQ("hello", buf);
            EXPECT_EQ(3u, Calls().size());
        }
    }
}

// Its NUL (stored or added) in the buffer's 100 bytes: read; one character
// more: not read; never a byte past the buffer.
TEST(ReadRegValue, AValueIsReadOnlyWhenItFitsWithItsNul)
{
    ScratchKey scratch;
    struct Row {
        size_t chars;
        DWORD stored;
        int read;
    } rows[] = {
        { 99, 100, 1 },      // its NUL exactly fills the buffer
        { 100, 101, 0 },     // one over
        { 100, 100, 0 },     // stored without its NUL: fits only without it
        { 99, 99, 1 },       // stored without its NUL: fits once it is added
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.chars << " characters in " << row.stored << " bytes");
        std::string value(row.chars, 'a');
        SetRaw(scratch.Key(), "v", value.c_str(), row.stored);
        char buf[101];
        memset(buf, 'M', sizeof buf);
        EXPECT_EQ(row.read, ReadRegValue(scratch.Key(), "v", buf, 100));
        if (row.read)
            EXPECT_EQ(value, std::string(buf));
        EXPECT_EQ('M', buf[100]);
    }
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
