// Setup's command line: help switch, silent switch and the -d folder.
#include <gtest/gtest.h>
#include <string>
#include "cmdline.h"

namespace {

struct Parsed {
    int silent;
    std::string folder;
    int fits;
    std::string log;
    int logFits;
};

Parsed Parse(const char* text)
{
    char folder[FOLDER_ARG_SIZE];
    strcpy(folder, "untouched");
    char log[LOG_ARG_SIZE];
    strcpy(log, "untouched");
    int fits = -1, logFits = -1;
    int silent = ParseCommandLine(text, folder, sizeof folder, &fits, log, &logFits);
    return { silent, folder, fits, log, logFits };
}

TEST(HelpSwitch, WinsWhereverItStands)
{
    EXPECT_TRUE(HasHelpSwitch("-h"));
    EXPECT_TRUE(HasHelpSwitch("/x -h"));
    EXPECT_TRUE(HasHelpSwitch("-s -h"));
    EXPECT_TRUE(HasHelpSwitch("x-h"));
    EXPECT_TRUE(HasHelpSwitch("-s -dC:\\my-home"));   // the folder text counts too
    EXPECT_FALSE(HasHelpSwitch("-H"));
    EXPECT_FALSE(HasHelpSwitch("-"));
    EXPECT_FALSE(HasHelpSwitch(""));
    EXPECT_FALSE(HasHelpSwitch("h-"));
}

TEST(ParseCommandLine, SilentAloneAndWithTheFolderEitherSide)
{
    Parsed p = Parse("-s");
    EXPECT_EQ(1, p.silent);
    EXPECT_EQ("", p.folder);
    p = Parse("-s -dD:\\Tools");
    EXPECT_EQ(1, p.silent);
    EXPECT_EQ("D:\\Tools", p.folder);
    p = Parse("-dD:\\Tools -s");
    EXPECT_EQ(1, p.silent);
    EXPECT_EQ("D:\\Tools", p.folder);
}

TEST(ParseCommandLine, BlanksInsideTheFolderStayAndALeadingBlankIsKept)
{
    EXPECT_EQ("D:\\My Tools", Parse("-s -dD:\\My Tools").folder);
    EXPECT_EQ(" D:\\Tools", Parse("-s -d D:\\Tools").folder);
    // The folder ends only at a blank followed by '-'.
    EXPECT_EQ("D:\\a b", Parse("-dD:\\a b -s").folder);
    EXPECT_EQ("D:\\a ", Parse("-dD:\\a  -s").folder);
}

TEST(ParseCommandLine, QuotesAroundTheFolderOrTheWholeOptionAreDropped)
{
    for (const char* line : { "-s -d\"C:\\My Tools\"", "-s \"-dC:\\My Tools\"", "-s -dC:\\My\" Tools\"\"" }) {
        Parsed p = Parse(line);
        EXPECT_EQ(1, p.silent) << line;
        EXPECT_EQ("C:\\My Tools", p.folder) << line;
    }
    // Still only a line that begins with '-' has options.
    EXPECT_EQ("untouched", Parse("\"-s\" -dC:\\x").folder);
    EXPECT_EQ(0, Parse("\"-s\" -dC:\\x").silent);
}

TEST(ParseCommandLine, MinusDInsideTheFolderIsNoOption)
{
    Parsed p = Parse("-s -dD:\\x-data");
    EXPECT_EQ(1, p.silent);
    EXPECT_EQ("D:\\x-data", p.folder);
    p = Parse("-dD:\\x-s");               // "-s" inside the folder text is part of it
    EXPECT_EQ(0, p.silent);
    EXPECT_EQ("D:\\x-s", p.folder);
}

TEST(ParseCommandLine, FolderWithoutSilentAndUnrecognisedLines)
{
    Parsed p = Parse("-dD:\\Tools");
    EXPECT_EQ(0, p.silent);
    EXPECT_EQ("D:\\Tools", p.folder);
    p = Parse("x -s");                    // must start with '-'
    EXPECT_EQ(0, p.silent);
    EXPECT_EQ("untouched", p.folder);
    EXPECT_EQ(0, Parse("-S").silent);
    EXPECT_EQ(0, Parse("").silent);
    EXPECT_EQ("untouched", Parse("-").folder);
}

TEST(ParseCommandLine, SeveralMinusDTextsAreAppended)
{
    Parsed p = Parse("-dC:\\a -dB -s");
    EXPECT_EQ(1, p.silent);
    EXPECT_EQ("C:\\aB", p.folder);
    EXPECT_EQ("", Parse("-s -d").folder);
}

TEST(ParseCommandLine, FolderTextOf179FitsAnd180DoesNot)
{
    std::string fits = "-s -d" + std::string(179, 'f');
    Parsed p = Parse(fits.c_str());
    EXPECT_EQ(1, p.fits);
    EXPECT_EQ(179u, p.folder.size());
    std::string over = "-s -d" + std::string(180, 'f');
    p = Parse(over.c_str());
    EXPECT_EQ(0, p.fits);
    EXPECT_EQ("", p.folder);
    EXPECT_EQ(1, p.silent);
    // Dropped quotes take no room.
    EXPECT_EQ(1, Parse(("-s -d\"" + std::string(179, 'f') + "\"").c_str()).fits);
}

TEST(DriveRoot, UpToTheFirstBackslashOrTheWholeText)
{
    char root[80];
    EXPECT_EQ(1, DriveRoot("D:\\Tools\\", root, sizeof root));
    EXPECT_STREQ("D:\\", root);
    EXPECT_EQ(1, DriveRoot(" D:\\Tools", root, sizeof root));
    EXPECT_STREQ(" D:\\", root);
    EXPECT_EQ(1, DriveRoot("nobackslash", root, sizeof root));
    EXPECT_STREQ("nobackslash", root);
    std::string longRoot(79, 'r');
    EXPECT_EQ(1, DriveRoot(longRoot.c_str(), root, sizeof root));
    longRoot += "r";
    EXPECT_EQ(0, DriveRoot(longRoot.c_str(), root, sizeof root));
    EXPECT_STREQ("", root);
}

TEST(ParseCommandLine, LogPathInAnyOrderAndItsOwnDashesAreNoOptions)
{
    Parsed p = Parse("-lC:\\logs\\my-s-d.log -s -dD:\\T");
    EXPECT_EQ(1, p.silent);
    EXPECT_EQ("D:\\T", p.folder);
    EXPECT_EQ("C:\\logs\\my-s-d.log", p.log);
    p = Parse("-s -l\"C:\\my logs\\a.log\" -dD:\\T");
    EXPECT_EQ("C:\\my logs\\a.log", p.log);
    EXPECT_EQ("D:\\T", p.folder);
    p = Parse("-lC:\\x.log");                        // the dialog with a log
    EXPECT_EQ(0, p.silent);
    EXPECT_EQ("C:\\x.log", p.log);
    EXPECT_EQ(1, p.logFits);
    EXPECT_EQ(0, Parse("-s -l").logFits);             // a -l without a path
    EXPECT_EQ(1, Parse("-s -l -lC:\\b.log").logFits);  // the last -l counts
    p = Parse(("-s -lC:\\" + std::string(LOG_ARG_SIZE, 'x')).c_str());
    EXPECT_EQ(0, p.logFits);
    EXPECT_EQ(LOG_ARG_SIZE - 1u, p.log.size());        // what fit, for the box; never opened
    EXPECT_EQ(1, Parse("-s").logFits);
    EXPECT_EQ("", Parse("-s").log);
    EXPECT_EQ("", Parse("").log);                      // no options: no log, whatever the buffer held
    EXPECT_EQ("", Parse("x -lC:\\x.log").log);
}

}  // namespace
