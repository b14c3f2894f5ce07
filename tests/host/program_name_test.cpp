// The entry point hands WinMain the command line without the program name.
#include <gtest/gtest.h>
#include <string>
#include "cmdtail.h"

#define LOG_SIZE 260

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

TEST(ProgramName, TheQuietSwitchIsTheWholeTailApartFromTheLog)
{
    char log[LOG_SIZE];
    int fits;
    for (const char* tail : { "-s", "/S", "  -s \t", "-lC:\\x.log -s", "-s -l\"C:\\my logs\\x.log\"" })
        EXPECT_EQ(1, ParseRemovalTail(tail, log, sizeof log, &fits)) << tail;
    for (const char* tail : { "", "-", "-sx", "-s -x", "s", "-d", "x -s", "-lC:\\x.log", "-s -s" })
        EXPECT_EQ(0, ParseRemovalTail(tail, log, sizeof log, &fits)) << tail;
}

TEST(ProgramName, TheLogPathRunsToTheNextOption)
{
    struct Row { const char* tail; const char* log; int fits; } rows[] = {
        { "-s -lC:\\logs\\a-s b.log", "C:\\logs\\a-s b.log", 1 },   // a '-' inside the path is no option
        { "-l\"C:\\my logs\\x.log\" -s", "C:\\my logs\\x.log", 1 },
        { "-lC:\\a.log -lC:\\b.log", "C:\\b.log", 1 },                 // the last -l counts
        { "-s -l", "", 0 },                                               // no path is no log
        { "-l -lC:\\b.log -s", "C:\\b.log", 1 },
        { "-s \"-lC:\\my logs\\x.log\"", "C:\\my logs\\x.log", 1 },   // quotes around the whole option
        { "-s", "", 1 },
    };
    for (const Row& row : rows) {
        char log[LOG_SIZE];
        int fits = -1;
        ParseRemovalTail(row.tail, log, sizeof log, &fits);
        EXPECT_STREQ(row.log, log) << row.tail;
        EXPECT_EQ(row.fits, fits) << row.tail;
    }
    std::string tooLong = "-s -lC:\\" + std::string(LOG_SIZE, 'x');
    char log[LOG_SIZE];
    int fits = -1;
    ParseRemovalTail(tooLong.c_str(), log, sizeof log, &fits);
    EXPECT_EQ(0, fits);
    EXPECT_EQ(LOG_SIZE - 1, strlen(log));                  // what fit, for the box; never opened
}
