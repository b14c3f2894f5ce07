// The command lines of setup and the uninstaller: tokens, quotes, -d, -l,
// unknown options, and setup's help switch.
#include <gtest/gtest.h>
#include <string>
#include "cmdline.h"
#include "cmdtail.h"

namespace {

const int S = OPTION_SILENT, D = OPTION_FOLDER, L = OPTION_LOG, U = OPTION_UNKNOWN;
// Setup's exit code in help mode; NO_HELP where the line is no help line.
const int NO_HELP = -1;

struct Parsed {
    int options;
    std::string folder;
    int folderFits;
    std::string log;
    int logFits;
    std::string unknown;
};

Parsed Parse(int program, const std::string& line)
{
    char folder[FOLDER_ARG_SIZE];
    char log[LOG_ARG_SIZE];
    char unknown[16];
    strcpy(folder, "untouched");
    strcpy(log, "untouched");
    strcpy(unknown, "untouched");
    int folderFits = -1, logFits = -1;
    int options = ReadOptions(line.c_str(), program, program == OPTIONS_SETUP ? folder : NULL, sizeof folder,
                              &folderFits, log, sizeof log, &logFits, unknown, sizeof unknown);
    return { options, program == OPTIONS_SETUP ? folder : "", folderFits, log, logFits, unknown };
}

struct Row {
    int program;
    const char* line;
    int options;
    const char* folder;   // setup's
    const char* log;
    int logFits;
    const char* unknown;  // the first unknown token, as a box names it
    int helpExit;         // setup's
};

const int SETUP = OPTIONS_SETUP, REMOVAL = OPTIONS_REMOVAL;

const Row ROWS[] = {
    // Setup, as typed before tokens: the unquoted folder runs to a blank followed by '-'.
    { SETUP, "", 0, "", "", 1, "", NO_HELP },
    { SETUP, "-s", S, "", "", 1, "", NO_HELP },
    { SETUP, "-s -dD:\\Tools", S | D, "D:\\Tools", "", 1, "", NO_HELP },
    { SETUP, "-dD:\\Tools -s", S | D, "D:\\Tools", "", 1, "", NO_HELP },
    { SETUP, "-s -dC:\\Kbd Test\\Pkg", S | D, "C:\\Kbd Test\\Pkg", "", 1, "", NO_HELP },
    { SETUP, "-s -d D:\\Tools", S | D, " D:\\Tools", "", 1, "", NO_HELP },   // refused later: no drive
    { SETUP, "-dD:\\a  -s", S | D, "D:\\a ", "", 1, "", NO_HELP },
    { SETUP, "-s -dD:\\x-data", S | D, "D:\\x-data", "", 1, "", NO_HELP },
    { SETUP, "-dD:\\x-s", D, "D:\\x-s", "", 1, "", NO_HELP },                 // -s inside the folder
    { SETUP, "-dC:\\a -dB -s", S | D, "C:\\aB", "", 1, "", NO_HELP },
    { SETUP, "-s -d", S | D, "", "", 1, "", NO_HELP },
    // A quoted stretch belongs to its token, " - " included; quotes are no part of it.
    { SETUP, "-s \"-dC:\\Apps - Keyboard\\Tandrel\"", S | D, "C:\\Apps - Keyboard\\Tandrel", "", 1, "", NO_HELP },
    { SETUP, "-d\"C:\\Apps - Keyboard\\Tandrel\" -s", S | D, "C:\\Apps - Keyboard\\Tandrel", "", 1, "", NO_HELP },
    { SETUP, "-s -dC:\\My\" Tools\"\"", S | D, "C:\\My Tools", "", 1, "", NO_HELP },
    { SETUP, "\"-s\" -dC:\\x", S | D, "C:\\x", "", 1, "", NO_HELP },
    { SETUP, "-dC:\\My Tools \"-lC:\\x.log\"", D | L, "C:\\My Tools", "C:\\x.log", 1, "", NO_HELP },
    // Only a line whose first token is an option has options; -S and -sx are none.
    { SETUP, "x -s -lC:\\x.log", 0, "", "", 1, "", NO_HELP },
    { SETUP, "-S", U, "", "", 1, "-S", NO_HELP },
    { SETUP, "-sx -dC:\\x", U | D, "C:\\x", "", 1, "-sx", NO_HELP },
    // Logs: the rest of the token, or the next token after a lone -l.
    { SETUP, "-lC:\\logs\\my-s-d.log -s -dD:\\T", S | D | L, "D:\\T", "C:\\logs\\my-s-d.log", 1, "", NO_HELP },
    { SETUP, "-s \"-lC:\\Logs - Tandrel\\setup.log\"", S | L, "", "C:\\Logs - Tandrel\\setup.log", 1, "", NO_HELP },
    { SETUP, "-s -l C:\\Logs\\setup.log", S | L, "", "C:\\Logs\\setup.log", 1, "", NO_HELP },
    { SETUP, "-l \"C:\\Logs - T\\a.log\" -s", S | L, "", "C:\\Logs - T\\a.log", 1, "", NO_HELP },
    { SETUP, "-s -l", S | L, "", "", 0, "", NO_HELP },                           // no path, no log
    { SETUP, "-l -s", S | L, "", "", 0, "", NO_HELP },                           // an option is no path
    { SETUP, "-s -l -lC:\\b.log", S | L, "", "C:\\b.log", 1, "", NO_HELP },      // the last -l counts
    // "-h" anywhere is help; with anything to install or log the exit code says nothing was.
    { SETUP, "-h", U, "", "", 1, "-h", 0 },
    { SETUP, "/x -h", 0, "", "", 1, "", 0 },
    { SETUP, "-s -h", S | U, "", "", 1, "-h", 1639 },
    { SETUP, "-s -dC:\\my-home", S | D, "C:\\my-home", "", 1, "", 1639 },
    { SETUP, "-lC:\\my-hlogs\\a.log", L, "", "C:\\my-hlogs\\a.log", 1, "", 1639 },
    { SETUP, "-h -l C:\\x.log", U | L, "", "C:\\x.log", 1, "-h", 1639 },
    // The uninstaller: -s, /s, -l, /l in either case; everything else is unknown.
    { REMOVAL, "", 0, "", "", 1, "", NO_HELP },
    { REMOVAL, "-s", S, "", "", 1, "", NO_HELP },
    { REMOVAL, "  /S \t", S, "", "", 1, "", NO_HELP },
    { REMOVAL, "-s -s", S, "", "", 1, "", NO_HELP },
    { REMOVAL, "/S /lC:\\Logs\\remove.log", S | L, "", "C:\\Logs\\remove.log", 1, "", NO_HELP },
    { REMOVAL, "/LC:\\Logs\\remove.log /S", S | L, "", "C:\\Logs\\remove.log", 1, "", NO_HELP },
    { REMOVAL, "-s -lC:\\logs\\a-s b.log", S | L, "", "C:\\logs\\a-s b.log", 1, "", NO_HELP },
    { REMOVAL, "/s /l \"C:\\my logs - x\\x.log\"", S | L, "", "C:\\my logs - x\\x.log", 1, "", NO_HELP },
    { REMOVAL, "-lC:\\x.log", L, "", "C:\\x.log", 1, "", NO_HELP },
    { REMOVAL, "-l /s", S | L, "", "", 0, "", NO_HELP },
    { REMOVAL, "-sx", U, "", "", 1, "-sx", NO_HELP },
    { REMOVAL, "-s -x /y", S | U, "", "", 1, "-x", NO_HELP },
    { REMOVAL, "x -s", S | U, "", "", 1, "x", NO_HELP },
    { REMOVAL, "-dC:\\x", U, "", "", 1, "-dC:\\x", NO_HELP },
    { REMOVAL, "\"/q\" /s", S | U, "", "", 1, "/q", NO_HELP },
    { REMOVAL, "/s /quiet-and-then-some", S | U, "", "", 1, "/quiet-and-then", NO_HELP },   // cut to its buffer
};

TEST(CommandLine, EachProgramReadsItsTokens)
{
    for (const Row& row : ROWS) {
        Parsed p = Parse(row.program, row.line);
        SCOPED_TRACE(std::string(row.program == SETUP ? "setup " : "vorel12u ") + row.line);
        EXPECT_EQ(row.options, p.options);
        EXPECT_EQ(row.folder, p.folder);
        EXPECT_EQ(1, p.folderFits);
        EXPECT_EQ(row.log, p.log);
        EXPECT_EQ(row.logFits, p.logFits);
        EXPECT_EQ(row.unknown, p.unknown);
        if (row.program == SETUP)
            EXPECT_EQ(row.helpExit, HasHelpSwitch(row.line) ? HelpModeExit(p.options) : NO_HELP);
    }
}

TEST(CommandLine, TextsThatDoNotFitAreNeverActedOn)
{
    Parsed p = Parse(SETUP, "-s -d" + std::string(179, 'f'));
    EXPECT_EQ(1, p.folderFits);
    EXPECT_EQ(179u, p.folder.size());
    p = Parse(SETUP, "-s -d" + std::string(180, 'f'));
    EXPECT_EQ(0, p.folderFits);
    EXPECT_EQ("", p.folder);
    EXPECT_EQ(S | D, p.options);
    EXPECT_EQ(1, Parse(SETUP, "-s -d\"" + std::string(179, 'f') + "\"").folderFits);   // quotes take no room
    for (int program : { SETUP, REMOVAL }) {
        p = Parse(program, "-s -lC:\\" + std::string(LOG_ARG_SIZE, 'x'));
        EXPECT_EQ(0, p.logFits);
        EXPECT_EQ(LOG_ARG_SIZE - 1u, p.log.size());   // what fit, for the box; never opened
    }
}

TEST(HelpSwitch, WinsWhereverItStands)
{
    EXPECT_TRUE(HasHelpSwitch("x-h"));
    EXPECT_FALSE(HasHelpSwitch("-H"));
    EXPECT_FALSE(HasHelpSwitch("-"));
    EXPECT_FALSE(HasHelpSwitch(""));
    EXPECT_FALSE(HasHelpSwitch("h-"));
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

}  // namespace
