// The one check before the first install step: the destination is an
// absolute folder Windows can create, and both folders leave room for every
// path the steps build from them.
#include <gtest/gtest.h>
#include <string>
#include "installpaths.h"

namespace {

const char SOURCE[] = "C:\\Package\\";

// A folder of exactly n characters, trailing backslash included.
std::string Folder(const std::string& start, size_t n)
{
    return start + std::string(n - start.size() - 1, 'x') + "\\";
}

TEST(InstallFolders, AbsoluteDriveAndShareFoldersInstall)
{
    for (const char* dest : { "C:\\Tandrel\\", "d:\\My Tools\\", "Z:\\", "C:\\x-data\\.hidden\\", "C:\\CONSOLE\\", "C:\\COM10\\",
                              "\\\\server\\share\\", "\\\\server\\share\\Tandrel\\", "C:\\\xC4rger\\" })
        EXPECT_EQ(1, InstallFoldersFit(SOURCE, dest)) << dest;
}

TEST(InstallFolders, RelativeAndHalfRootedFoldersDoNot)
{
    for (const char* dest : { "", "\\", "Tools\\", "\\Tools\\", "C:Tools\\", " C:\\Tools\\", "1:\\Tools\\",
                              "\\\\server\\", "\\\\server\\share", "\\\\\\share\\x\\", "C:\\Tools" })
        EXPECT_EQ(0, InstallFoldersFit(SOURCE, dest)) << dest;
}

TEST(InstallFolders, CharactersWindowsForbidsAndNamesItCannotCreate)
{
    for (const char* dest : { "C:\\Bad?Name\\", "C:\\a<b\\", "C:\\a>b\\", "C:\\a|b\\", "C:\\a*\\", "C:\\\"My\"\\",
                              "C:\\a:b\\", "\\\\srv:1\\share\\", "C:\\tab\there\\", "C:\\line\n\\",
                              "C:\\Tools \\", "C:\\a \\b\\", "C:\\a\\\\b\\", "C:\\a.\\", "C:\\Tools..\\",
                              "C:\\a\\..\\b\\", "C:\\new/sub\\", "\\\\.\\UNC\\srv\\share\\", "C:\\NUL\\",
                              "C:\\con.txt\\", "C:\\x\\lpt1\\", "C:\\Com9\\" })
        EXPECT_EQ(0, InstallFoldersFit(SOURCE, dest)) << dest;
}

TEST(InstallFolders, LongestDestinationIs85AndLongestSourceIs80)
{
    // The Run value and the agent's command line hold the destination and
    // "vorel12a.exe" in quotes in 100 bytes; the uninstaller and driver
    // copies hold the source and "Uninst\vorel12u.exe".
    EXPECT_EQ(1, InstallFoldersFit(SOURCE, Folder("C:\\", 85).c_str()));
    EXPECT_EQ(0, InstallFoldersFit(SOURCE, Folder("C:\\", 86).c_str()));
    EXPECT_EQ(1, InstallFoldersFit(SOURCE, Folder("\\\\server\\share\\", 85).c_str()));
    EXPECT_EQ(0, InstallFoldersFit(SOURCE, Folder("C:\\", 128).c_str()));
    EXPECT_EQ(1, InstallFoldersFit(Folder("C:\\", 80).c_str(), "C:\\Tandrel\\"));
    EXPECT_EQ(0, InstallFoldersFit(Folder("C:\\", 81).c_str(), "C:\\Tandrel\\"));
    // Setup's own folder did not fit its buffer: nothing at all.
    EXPECT_EQ(0, InstallFoldersFit("", "C:\\Tandrel\\"));
}

}  // namespace

extern int g_doubleByte932;

TEST(InstallFolders, ADoubleByteTrailIsNoBackslashNorForbidden)
{
    g_doubleByte932 = 1;
    EXPECT_EQ(1, InstallFoldersFit(SOURCE, "C:\\\x95\x5c\\"));
    EXPECT_EQ(1, InstallFoldersFit(SOURCE, "C:\\\x81\x7c\\"));
    EXPECT_EQ(0, InstallFoldersFit(SOURCE, "C:\\\x95\x5c.\\"));
    g_doubleByte932 = 0;
    EXPECT_EQ(0, InstallFoldersFit(SOURCE, "C:\\\x95\x5c\\"));
}
