// The entry point hands WinMain the command line without the program name.
#include <gtest/gtest.h>
#include "cmdtail.h"

TEST(ProgramName, QuotedNameWithBlanksIsSkipped)
{
    EXPECT_STREQ("-s -dD:\\Tools", SkipProgramName("\"C:\\My Tools\\setup.exe\" -s -dD:\\Tools"));
    EXPECT_STREQ("-h", SkipProgramName("\"setup\"-h"));
}

TEST(ProgramName, BareNameIsSkippedWithItsBlanks)
{
    EXPECT_STREQ("-s", SkipProgramName("setup.exe   -s"));
    EXPECT_STREQ("x -s", SkipProgramName("C:\\setup.exe\tx -s"));
}

TEST(ProgramName, NoArgumentsAndUnclosedQuote)
{
    EXPECT_STREQ("", SkipProgramName("setup.exe"));
    EXPECT_STREQ("", SkipProgramName("\"C:\\setup.exe"));
    EXPECT_STREQ("", SkipProgramName(""));
}
