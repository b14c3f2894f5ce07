// Setup's documented capacities at exactly their size and one over.
#include "setup_harness.h"

namespace {

TEST(Boundaries, ASourceFolderOf80InstallsWholeAndOneOf81OrNoneInstallsNothing)
{
    // The uninstaller and driver copies hold the source folder and
    // "Uninst\vorel12u.exe" in 100 bytes. 200 stands for a module path that
    // does not fit setup's 200-byte buffer: then the current directory's
    // package must not be taken instead.
    for (size_t length : { 80, 81, 200 }) {
        SetupHarness p(WIN2K);
        std::string source = p.root.Path() + std::string((length == 200 ? 80 : length) - p.root.Path().size() - 1, 's') + "\\";
        CreateDirectoryA(source.c_str(), NULL);
        for (const char* d : { "Files", "Kernel", "Uninst" })
            CreateDirectoryA((source + d).c_str(), NULL);
        WriteFileBytes(source + "Files\\vorel12a.exe", 10);
        WriteFileBytes(source + "Uninst\\vorel12u.exe", 10);
        WriteFileBytes(source + "Kernel\\vorel12s.sys", 10);
        g_fakeModulePath = length == 200 ? source + std::string(200 - source.size(), 'e') : source + "setup.exe";
        SetCurrentDirectoryA(source.c_str());
        bool whole = length == 80;
        EXPECT_EQ(whole ? ERROR_SUCCESS_REBOOT_REQUIRED : ERROR_INVALID_COMMAND_LINE, p.Run("-s -d" + p.dest)) << length;
        SCOPED_TRACE(length);
        if (whole) {
            EXPECT_EQ("files uninstaller links", FootprintPresent(p.dest, "files uninstaller links"));
            EXPECT_EQ("\"" + p.dest + "vorel12a.exe\"", ReadRegString(HKEY_LOCAL_MACHINE, SZ_RUN_KEY, SZ_RUN_VALUE));
        } else {
            EXPECT_NOTHING_INSTALLED(p.dest);
        }
        EXPECT_TRUE(CallsTo("MessageBoxA").empty());
        SetCurrentDirectoryA("C:\\");
        DeleteTree(source.substr(0, source.size() - 1));
    }
}

TEST(Boundaries, AStartMenuLinkPathOf179FitsAnd180IsSkipped)
{
    SetupHarness p(WIN2K);
    std::string saved = ReadRegString(HKEY_CURRENT_USER, SZ_SHELL_FOLDERS_KEY, SZ_PROGRAMS_VALUE);
    const std::string tail = "\\Tandrel\\Uninstall Tandrel.lnk";      // the longest link name
    for (size_t length : { 179, 180 }) {
        std::string programs = p.root.Path() + "m";
        programs += std::string(length - tail.size() - programs.size(), 'p');
        ASSERT_EQ(length, programs.size() + tail.size());
        CreateDirectoryA(programs.c_str(), NULL);
        HKEY key;
        RegOpenKeyA(HKEY_CURRENT_USER, SZ_SHELL_FOLDERS_KEY, &key);
        RegSetValueExA(key, SZ_PROGRAMS_VALUE, 0, REG_SZ, (const BYTE*)programs.c_str(), (DWORD)programs.size() + 1);
        RegCloseKey(key);
        // A whole package: without every part nothing is installed.
        for (const char* file : { "Files\\vorel12a.exe", "Uninst\\vorel12u.exe", "Kernel\\vorel12s.sys" })
            p.AddFile(file, 10);
        p.Run("-s -d" + p.dest);
        EXPECT_EQ(length == 179, FileExists(programs + "\\Tandrel\\Uninstall Tandrel.lnk")) << length;
        EXPECT_TRUE(FileExists(programs + "\\Tandrel\\Tandrel About.lnk")) << length;   // shorter names still fit
        DeleteTree(programs);
    }
    HKEY key;
    RegOpenKeyA(HKEY_CURRENT_USER, SZ_SHELL_FOLDERS_KEY, &key);
    RegSetValueExA(key, SZ_PROGRAMS_VALUE, 0, REG_SZ, (const BYTE*)saved.c_str(), (DWORD)saved.size() + 1);
    RegCloseKey(key);
}

}  // namespace
