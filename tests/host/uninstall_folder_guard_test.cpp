// The folder derived from the Run value, the guard before clearing it, and
// the enumerator key names.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "record.h"
#include "runfolder.h"

namespace {

std::string Folder(const char* value)
{
    char out[100];
    return FolderFromRunValue(value, out, sizeof out) ? out : "<none>";
}

TEST(RunValueFolder, CutAfterTheLastBackslash)
{
    EXPECT_EQ("C:\\Tandrel\\", Folder("C:\\Tandrel\\vorel12a.exe"));
    EXPECT_EQ("C:\\My Tools\\T\\", Folder("C:\\My Tools\\T\\VOREL12A.Exe"));   // any letter case
    EXPECT_EQ("C:\\", Folder("C:\\vorel12a.exe"));
    EXPECT_EQ("<none>", Folder("vorel12a.exe"));
    EXPECT_EQ("<none>", Folder("\\vorel12a.exe"));   // a backslash only at the first character
    EXPECT_EQ("<none>", Folder(""));
    EXPECT_EQ("x\\", Folder("x\\vorel12a.exe"));     // relative: the guard refuses it
    // Setup writes the path in quotes.
    EXPECT_EQ("C:\\My Tools\\", Folder("\"C:\\My Tools\\vorel12a.exe\""));
    EXPECT_EQ("<none>", Folder("\"\\vorel12a.exe\""));
}

TEST(RunValueFolder, OnlyTheAgentsOwnPathNamesAFolder)
{
    for (const char* value : { "C:\\Other\\other.exe", "C:\\Tandrel\\", "C:\\Tandrel\\vorel12a.exe ",
                               "C:\\Tandrel\\vorel12a.exe.bak", "C:\\Tandrel\\xvorel12a.exe", "C:\\Tandrel/vorel12a.exe",
                               "\"C:\\Tandrel\\vorel12a.exe", "C:\\Tandrel\\vorel12a.exe\"", "\"C:\\a\"b\\vorel12a.exe\"", "\"", "\"\"" })
        EXPECT_EQ("<none>", Folder(value)) << value;
}

TEST(RunValueFolder, FolderMustFitItsBuffer)
{
    char out[6];                                     // "C:\a\" and its NUL
    EXPECT_EQ(1, FolderFromRunValue("C:\\a\\vorel12a.exe", out, sizeof out));
    EXPECT_STREQ("C:\\a\\", out);
    EXPECT_EQ(0, FolderFromRunValue("C:\\ab\\vorel12a.exe", out, sizeof out));
    EXPECT_STREQ("", out);
}

TEST(ClearGuard, RefusesRootsTheSystemsOwnFoldersAndWhatIsNotAFullPath)
{
    const char* win = "C:\\windows";
    const char* sys = "C:\\windows\\system32";
    struct Row {
        const char* folder;      // as found
        const char* resolved;    // as the system resolved it; null: the same text
        bool safe;
    };
    const Row rows[] = {
        { "C:\\Tandrel\\", nullptr, true },
        { "C:/x/../Tandrel//", "C:\\Tandrel\\", true },
        { "C:\\windows\\Tandrel\\", nullptr, true },
        { "C:\\windows\\system32\\drivers\\etc\\", nullptr, true },
        { "\\\\server\\share\\Tandrel\\", nullptr, true },
        { "", nullptr, false },
        { "C:\\", nullptr, false },
        { "d:\\", nullptr, false },
        { "C:/\\", "C:\\", false },
        { "\\\\server\\share\\", nullptr, false },
        { "\\\\server\\", nullptr, false },
        { "C:\\WINDOWS\\", nullptr, false },
        { "C:\\windows\\system32\\..\\", "C:\\windows\\", false },
        { "c:\\Windows\\System32\\", nullptr, false },
        { "C:\\windows\\system32\\DRIVERS\\", nullptr, false },
        { "C:\\windows\\system32\\drivers", nullptr, false },
        { "C:\\windows..\\", "C:\\windows.\\", false },     // the file functions drop the dot
        { "C:\\Tandrel \\", nullptr, false },
        { "C:/Tandrel/", nullptr, false },                  // not in resolved form
        { "C:\\\\windows\\", nullptr, false },
        { "Tandrel\\", "C:\\Users\\me\\Tandrel\\", false },
        { "\\Tandrel\\", "C:\\Tandrel\\", false },
        { "C:Tandrel\\", "C:\\Users\\me\\Tandrel\\", false },
        { "\\\\?\\C:\\Tandrel\\", nullptr, false },
        { "\\\\.\\C:\\Tandrel\\", nullptr, false },
        { "//?/C:/Tandrel/", "\\\\?\\C:\\Tandrel\\", false },
        { "C:\\Tandrel\\", "\\\\?\\C:\\Tandrel\\", false },
    };
    for (const Row& r : rows)
        EXPECT_EQ(r.safe, IsFolderSafeToClear(r.folder, r.resolved ? r.resolved : r.folder, win, sys) != 0)
            << r.folder;
    EXPECT_FALSE(IsFolderSafeToClear("C:\\Tandrel\\", "C:\\Tandrel\\", "", sys));   // unknown Windows folder
}

TEST(EnumKeyName, FourDigitsFrom0000To0099Only)
{
    char out[32];
    EXPECT_EQ(1, EnumKeyName(0, out, sizeof out));
    EXPECT_STREQ("Enum\\Root\\Keyboard\\0000", out);
    EXPECT_EQ(1, EnumKeyName(7, out, sizeof out));
    EXPECT_STREQ("Enum\\Root\\Keyboard\\0007", out);
    EXPECT_EQ(1, EnumKeyName(99, out, sizeof out));
    EXPECT_STREQ("Enum\\Root\\Keyboard\\0099", out);
    EXPECT_EQ(0, EnumKeyName(100, out, sizeof out));
    EXPECT_EQ(0, EnumKeyName(5, out, 23));          // 23 characters need 24 bytes
    EXPECT_EQ(1, EnumKeyName(5, out, 24));
}

}  // namespace

extern int g_doubleByte932;

TEST(RunValueFolder, ADoubleByteTrailIsNoBackslash)
{
    g_doubleByte932 = 1;
    EXPECT_EQ("<none>", Folder("\"C:\\\x95\x5c" "vorel12a.exe\""));
    EXPECT_EQ("C:\\\x95\x5c\\", Folder("\"C:\\\x95\x5c\\vorel12a.exe\""));
    g_doubleByte932 = 0;
}

std::vector<std::string> Names(const char* record)
{
    std::vector<std::string> out;
    char name[16];
    while (TakeRecordedName(&record, name, sizeof name))
        out.push_back(name);
    return out;
}

// A changed record names nothing outside its folder: such a name, or one
// too long for its buffer, comes out empty and is skipped.
TEST(RecordedNames, NoneReachesOutsideItsFolder)
{
    EXPECT_EQ((std::vector<std::string>{ "vorel12a.exe", "", "", "", "", "", "", "", "", "", "ok.txt" }),
              Names("vorel12a.exe*..\\victim.txt*C:\\victim.txt*C:victim.txt*.*..*a/b*x.*x *"
                    "sixteen_letters_*ok.txt"));
    EXPECT_TRUE(Names("").empty());
    EXPECT_TRUE(RecordHolds("a.exe*VOREL12.HTM", "vorel12.htm"));
    EXPECT_FALSE(RecordHolds("a.exe*vorel12.htm.bak", "vorel12.htm"));
    // A folder opens a group, whose names follow it; a name is looked for in the last group.
    EXPECT_EQ((std::vector<std::string>{ "C:\\A\\", "a.exe", "", "b.exe" }), Names("C:\\A\\*a.exe*C:\\sixteen_letters\\*b.exe"));
    EXPECT_FALSE(RecordHolds("C:\\A\\*a.exe*C:\\B\\*b.exe", "a.exe"));
    EXPECT_TRUE(RecordHolds("a.exe*C:\\B\\*b.exe", "b.exe"));
    g_doubleByte932 = 1;            // a trail byte with the backslash's code; two names a case-blind compare would mix
    EXPECT_EQ((std::vector<std::string>{ "\x95\x5c" "a", "\x83\x41" }), Names("\x95\x5c" "a*\x83\x41"));
    EXPECT_FALSE(RecordHolds("\x83\x41", "\x83\x61"));
    g_doubleByte932 = 0;
    EXPECT_EQ((std::vector<std::string>{ "", "\x83\x41" }), Names("\x95\x5c" "a*\x83\x41"));
}
