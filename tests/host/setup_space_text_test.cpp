// The free and needed space texts and the progress position.
#include <gtest/gtest.h>
#include <string>
#include "sizetext.h"

namespace {

std::string Grouped(unsigned long kb)
{
    char out[32];
    EXPECT_EQ(1, FormatGroupedKB(kb, out, sizeof out));
    return out;
}

TEST(FreeSpaceText, CommaAfterEveryThirdDigitFromTheRight)
{
    EXPECT_EQ("0K Bytes", Grouped(0));
    EXPECT_EQ("999K Bytes", Grouped(999));
    EXPECT_EQ("1,000K Bytes", Grouped(1000));
    EXPECT_EQ("123,456K Bytes", Grouped(123456));
    EXPECT_EQ("1,234,567K Bytes", Grouped(1234567));
    EXPECT_EQ("4,294,967,295K Bytes", Grouped(4294967295ul));
}

TEST(NeededSpaceText, PlainDigits)
{
    char out[32];
    EXPECT_EQ(1, FormatPlainKB(1234, out, sizeof out));
    EXPECT_STREQ("1234K Bytes", out);
    EXPECT_EQ(1, FormatPlainKB(4294967295ul, out, sizeof out));
    EXPECT_STREQ("4294967295K Bytes", out);
    EXPECT_EQ(0, FormatPlainKB(1234, out, 11));   // "1234K Bytes" needs 12 bytes
    EXPECT_EQ(1, FormatPlainKB(1234, out, 12));
}

TEST(FreeSpace, FourTebibytesAndMoreSaturateInsteadOfWrapping)
{
    EXPECT_EQ(0ul, SaturatedKB(1023));
    EXPECT_EQ(1ul, SaturatedKB(1024));
    EXPECT_EQ(4294967295ul, SaturatedKB(4294967295ull * 1024));
    EXPECT_EQ(4294967295ul, SaturatedKB(4294967296ull * 1024));     // exactly 4 TiB
    EXPECT_EQ(4294967295ul, SaturatedKB(~0ull));
}

TEST(ProgressPosition, PercentOfNeededWithoutDividingByZero)
{
    EXPECT_EQ(0u, ProgressPosition(0, 197));
    EXPECT_EQ(50u, ProgressPosition(98, 197) + 1);     // 49.7 truncates to 49
    EXPECT_EQ(100u, ProgressPosition(197, 197));
    EXPECT_EQ(100u, ProgressPosition(300, 197));
    EXPECT_EQ(0u, ProgressPosition(0, 0));
    EXPECT_EQ(100u, ProgressPosition(1, 0));
    EXPECT_EQ(100u, ProgressPosition(4294967295ul, 1));
    EXPECT_EQ(1u, ProgressPosition(50000000ul, 4294967295ul));  // no 32-bit overflow in the product
}

}  // namespace
