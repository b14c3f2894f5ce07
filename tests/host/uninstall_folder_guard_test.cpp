// The folder derived from the Run value, the guard before clearing it, and
// the enumerator key names.
#include <gtest/gtest.h>
#include <string>
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
    EXPECT_EQ("C:\\My Tools\\T\\", Folder("C:\\My Tools\\T\\vorel12a.exe"));
    EXPECT_EQ("C:\\", Folder("C:\\vorel12a.exe"));
    EXPECT_EQ("<none>", Folder("vorel12a.exe"));
    EXPECT_EQ("<none>", Folder("\\vorel12a.exe"));   // a backslash only at the first character
    EXPECT_EQ("<none>", Folder(""));
    EXPECT_EQ("x\\", Folder("x\\"));
}

TEST(RunValueFolder, FolderMustFitItsBuffer)
{
    char out[6];                                     // "C:\a\" and its NUL
    EXPECT_EQ(1, FolderFromRunValue("C:\\a\\x", out, sizeof out));
    EXPECT_STREQ("C:\\a\\", out);
    EXPECT_EQ(0, FolderFromRunValue("C:\\ab\\x", out, sizeof out));
    EXPECT_STREQ("", out);
}

TEST(ClearGuard, RefusesRootsAndTheSystemsOwnFolders)
{
    const char* win = "C:\\windows";
    const char* sys = "C:\\windows\\system32";
    EXPECT_TRUE(IsFolderSafeToClear("C:\\Tandrel\\", win, sys));
    EXPECT_TRUE(IsFolderSafeToClear("C:\\windows\\Tandrel\\", win, sys));
    EXPECT_FALSE(IsFolderSafeToClear("", win, sys));
    EXPECT_FALSE(IsFolderSafeToClear("C:\\", win, sys));
    EXPECT_FALSE(IsFolderSafeToClear("d:\\", win, sys));
    EXPECT_FALSE(IsFolderSafeToClear("\\", win, sys));
    EXPECT_FALSE(IsFolderSafeToClear("\\\\server\\share\\", win, sys));
    EXPECT_TRUE(IsFolderSafeToClear("\\\\server\\share\\Tandrel\\", win, sys));
    EXPECT_FALSE(IsFolderSafeToClear("C:\\WINDOWS\\", win, sys));
    EXPECT_FALSE(IsFolderSafeToClear("c:\\Windows\\System32\\", win, sys));
    EXPECT_FALSE(IsFolderSafeToClear("C:\\Tandrel\\", "", sys));   // unknown Windows folder
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
