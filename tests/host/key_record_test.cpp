// The key-record decoder: the release adjustment in place and the record count.
#include <gtest/gtest.h>
#include "keyrecord.h"

namespace {

struct Rec {
    unsigned char b[12] = {};
    Rec(unsigned code, unsigned flags)
    {
        b[2] = code & 0xFF; b[3] = code >> 8; b[4] = flags & 0xFF; b[5] = flags >> 8;
    }
    unsigned Code() const { return b[2] | (b[3] << 8); }
};

TEST(KeyRecord, ReleaseAddsTheBreakBitInPlaceWithSixteenBitWrap)
{
    Rec power(0x5E, KEY_BREAK_FLAG | KEY_E0_FLAG);
    EXPECT_EQ(100u, KeyRecordAction(power.b));
    EXPECT_EQ(0xDEu, power.Code());
    Rec wrap(0xFFC0, KEY_BREAK_FLAG);
    EXPECT_EQ(0u, KeyRecordAction(wrap.b));
    EXPECT_EQ(0x0040u, wrap.Code());
    Rec press(0x5F, KEY_E0_FLAG);
    EXPECT_EQ(0u, KeyRecordAction(press.b));
    EXPECT_EQ(0x5Fu, press.Code());             // untouched without the break flag
}

TEST(KeyRecord, OnlyE0RecordsWithTheAdjustedCodesMatch)
{
    Rec sleep(0x5F, KEY_BREAK_FLAG | KEY_E0_FLAG);
    EXPECT_EQ(101u, KeyRecordAction(sleep.b));
    Rec noE0(0x5F, KEY_BREAK_FLAG);
    EXPECT_EQ(0u, KeyRecordAction(noE0.b));
    Rec adjusted(0xDF, KEY_E0_FLAG);
    EXPECT_EQ(101u, KeyRecordAction(adjusted.b));
    Rec high(0x15E, KEY_E0_FLAG);               // the high byte counts
    EXPECT_EQ(0u, KeyRecordAction(high.b));
}

TEST(KeyRecord, CountIsWholeRecordsClampedToTheBuffer)
{
    EXPECT_EQ(100u, KeyRecordCount(1200, 1200));
    EXPECT_EQ(1u, KeyRecordCount(13, 1200));
    EXPECT_EQ(0u, KeyRecordCount(11, 1200));
    EXPECT_EQ(0u, KeyRecordCount(0, 1200));
    EXPECT_EQ(100u, KeyRecordCount(0xFFFFFFFFul, 1200));   // a driver that over-reports
}

}  // namespace
