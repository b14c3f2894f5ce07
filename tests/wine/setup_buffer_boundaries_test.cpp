// Setup's documented capacities at exactly their size and one over.
#include "setup_harness.h"

namespace {

TEST(Boundaries, ACopySourceOf99CharactersIsCopiedFromAndOneOf100IsNot)
{
    // The copy step's source argument, source folder + "Files\", holds 99 characters.
    for (size_t length : { 99, 100 }) {
        SetupHarness p(WIN2K);
        std::string source = p.root.Path() + std::string(length - 6 - p.root.Path().size() - 1, 's') + "\\";
        ASSERT_EQ(length, source.size() + 6);
        CreateDirectoryA(source.c_str(), NULL);
        for (const char* d : { "Files", "Kernel", "Uninst" })
            CreateDirectoryA((source + d).c_str(), NULL);
        WriteFileBytes(source + "Files\\vorel12a.exe", 10);
        FakeModulePath() = source + "setup.exe";
        UnregisterClassA(SZ_SETUP_CLASS, GetModuleHandleA(NULL));
        EXPECT_EQ(0, p.Run("-s -d" + p.dest));
        EXPECT_EQ(length == 99, FileExists(p.dest + "vorel12a.exe")) << length;
        EXPECT_EQ(p.dest + "vorel12a.exe", ReadRegString(HKEY_LOCAL_MACHINE, SZ_RUN_KEY, SZ_RUN_VALUE));  // later steps ran
        EXPECT_TRUE(CallsTo("MessageBoxA").empty());
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
        UnregisterClassA(SZ_SETUP_CLASS, GetModuleHandleA(NULL));
        p.AddFile("Files\\vorel12a.exe", 10);
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
