// Bounded copy, append and join: exact capacity, one over, empty inputs.
#include <gtest/gtest.h>
#include <cstring>
#include "text.h"

namespace {

// Buffer with a guard zone after the capacity, pre-filled with a marker so
// that an overrun or an untouched byte shows.
struct Guarded {
    char bytes[64];
    explicit Guarded() { memset(bytes, 'M', sizeof bytes); }
    bool guardIntact(unsigned cap) const {
        for (unsigned i = cap; i < sizeof bytes; i++)
            if (bytes[i] != 'M')
                return false;
        return true;
    }
};

TEST(TextCopy, FitsExactlyAtCapacity)
{
    Guarded g;
    EXPECT_EQ(1, TextCopy(g.bytes, 6, "abcde"));
    EXPECT_STREQ("abcde", g.bytes);
    EXPECT_TRUE(g.guardIntact(6));
}

TEST(TextCopy, OneOverCapacityLeavesEmptyAndWritesNothingPast)
{
    Guarded g;
    EXPECT_EQ(0, TextCopy(g.bytes, 6, "abcdef"));
    EXPECT_STREQ("", g.bytes);
    EXPECT_TRUE(g.guardIntact(6));
}

TEST(TextCopy, EmptySourceAndZeroCapacity)
{
    Guarded g;
    EXPECT_EQ(1, TextCopy(g.bytes, 1, ""));
    EXPECT_STREQ("", g.bytes);
    EXPECT_EQ(0, TextCopy(g.bytes + 10, 0, ""));
    EXPECT_EQ('M', g.bytes[10]);
}

TEST(TextAppend, FillsToCapacityAndRefusesOneMore)
{
    Guarded g;
    TextCopy(g.bytes, 8, "abc");
    EXPECT_EQ(1, TextAppend(g.bytes, 8, "defg"));
    EXPECT_STREQ("abcdefg", g.bytes);
    EXPECT_EQ(0, TextAppend(g.bytes, 8, "h"));
    EXPECT_STREQ("", g.bytes);
    EXPECT_TRUE(g.guardIntact(8));
}

TEST(TextAppend, UnterminatedDestinationIsRefused)
{
    Guarded g;              // all 'M': no NUL within the capacity
    EXPECT_EQ(0, TextAppend(g.bytes, 8, "x"));
    EXPECT_EQ(0, g.bytes[0]);
    EXPECT_TRUE(g.guardIntact(8));
}

TEST(TextJoin, BackslashOnlyWhereTheRootNeedsIt)
{
    char out[32];
    EXPECT_EQ(1, TextJoin(out, sizeof out, "C:\\WINDOWS", "vorel12u.exe"));
    EXPECT_STREQ("C:\\WINDOWS\\vorel12u.exe", out);
    EXPECT_EQ(1, TextJoin(out, sizeof out, "C:\\Tandrel\\", "vorel12a.exe"));
    EXPECT_STREQ("C:\\Tandrel\\vorel12a.exe", out);
    EXPECT_EQ(1, TextJoin(out, sizeof out, "", "Files\\"));
    EXPECT_STREQ("Files\\", out);
    EXPECT_EQ(1, TextJoin(out, sizeof out, "C:\\", ""));
    EXPECT_STREQ("C:\\", out);
}

TEST(TextJoin, ExactCapacityCountsTheInsertedBackslash)
{
    Guarded g;
    // "ab" + "\" + "cd" = 5 characters + NUL
    EXPECT_EQ(1, TextJoin(g.bytes, 6, "ab", "cd"));
    EXPECT_STREQ("ab\\cd", g.bytes);
    EXPECT_EQ(0, TextJoin(g.bytes, 5, "ab", "cd"));
    EXPECT_STREQ("", g.bytes);
    EXPECT_TRUE(g.guardIntact(6));
}

TEST(TextEnsureBackslash, AppendsOnceAndOnlyWhenMissing)
{
    char out[5] = "abc";
    EXPECT_EQ(1, TextEnsureBackslash(out, sizeof out));
    EXPECT_STREQ("abc\\", out);
    EXPECT_EQ(1, TextEnsureBackslash(out, sizeof out));
    EXPECT_STREQ("abc\\", out);
    char full[5] = "abcd";
    EXPECT_EQ(0, TextEnsureBackslash(full, sizeof full));
    char empty[2] = "";
    EXPECT_EQ(1, TextEnsureBackslash(empty, sizeof empty));
    EXPECT_STREQ("\\", empty);
}

TEST(TextEqual, ExactAndCaseSensitive)
{
    EXPECT_TRUE(TextEqual(".", "."));
    EXPECT_FALSE(TextEqual(".", ".."));
    EXPECT_FALSE(TextEqual("abc", "ABC"));
    EXPECT_TRUE(TextEqual("", ""));
}

}  // namespace

TEST(TextJoin, OntoItselfAppendsInPlace)
{
    char buf[16] = "C:\\Menu";
    EXPECT_EQ(1, TextJoin(buf, sizeof buf, buf, "Tandrel"));
    EXPECT_STREQ("C:\\Menu\\Tandrel", buf);
    EXPECT_EQ(0, TextJoin(buf, sizeof buf, buf, "x"));   // 17 bytes needed
    EXPECT_STREQ("", buf);
}

TEST(TextCopyPrefix, TheFirstCharactersAtCapacityAndOneOver)
{
    char out[4];
    EXPECT_EQ(1, TextCopyPrefix(out, sizeof out, "C:\\Tools", 3));
    EXPECT_STREQ("C:\\", out);
    EXPECT_EQ(0, TextCopyPrefix(out, sizeof out, "C:\\Tools", 4));
    EXPECT_STREQ("", out);
    EXPECT_EQ(1, TextCopyPrefix(out, sizeof out, "abc", 0));
    EXPECT_STREQ("", out);
}

// In code page 932 "\x95\x5c" is one character whose trail byte has the
// backslash's code; in a single-byte code page the same bytes end in one.
#define DOUBLE_BYTE_5C "\x95\x5c"
extern int g_doubleByte932;

struct DoubleByte : ::testing::Test {
    void SetUp() override { g_doubleByte932 = 1; }
    void TearDown() override { g_doubleByte932 = 0; }
};

TEST_F(DoubleByte, ATrailByteIsNoBackslash)
{
    EXPECT_FALSE(TextEndsWithBackslash("C:\\" DOUBLE_BYTE_5C));
    EXPECT_TRUE(TextEndsWithBackslash("C:\\" DOUBLE_BYTE_5C "\\"));
    EXPECT_EQ(3u, TextAfterLastBackslash("C:\\" DOUBLE_BYTE_5C "vorel12a.exe", 0));
    char out[16];
    EXPECT_EQ(1, TextJoin(out, sizeof out, "C:\\" DOUBLE_BYTE_5C, "a"));
    EXPECT_STREQ("C:\\" DOUBLE_BYTE_5C "\\a", out);
    g_doubleByte932 = 0;
    EXPECT_TRUE(TextEndsWithBackslash("C:\\" DOUBLE_BYTE_5C));
}
