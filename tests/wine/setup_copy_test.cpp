// The flat copy, the sizes and the folder creation, against real files.
#include "setup_harness.h"
#include <functional>
#include <thread>
#include "support/fakeproc.h"
#include "support/observers.h"

namespace {

TEST(NeededSize, EachFolderInThousandsOfBytesTruncatedSeparately)
{
    SetupHarness p;
    p.AddFile("Files\\a.bin", 100000);
    p.AddFile("Files\\b.bin", 50000);
    p.AddFile("Kernel\\vorel12s.sys", 20000);
    p.AddFile("Uninst\\vorel12u.exe", 27648);
    p.AddFile("Files\\small.txt", 999);           // 150 999 bytes still count 150
    CreateDirectoryA((p.source + "Files\\sub").c_str(), NULL);
    p.AddFile("Files\\sub\\deep.bin", 500000);    // subfolders count 0
    strcpy(g_sourceDir, p.source.c_str());
    ComputeNeededSize();
    EXPECT_EQ(197u, g_neededKB);
    EXPECT_EQ(0u, TreeSize((p.source + "Files\\sub\\missing").c_str()));
}

TEST(NeededSize, HiddenAndSystemFilesCountAndTheCurrentDirectoryIsRestored)
{
    SetupHarness p;
    p.AddFile("Files\\h.bin", 5000);
    SetFileAttributesA((p.source + "Files\\h.bin").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    SetCurrentDirectoryA(p.root.Path().c_str());
    EXPECT_EQ(5u, TreeSize((p.source + "Files").c_str()));
    char cwd[MAX_PATH];
    GetCurrentDirectoryA(sizeof cwd, cwd);
    EXPECT_EQ(p.root.Path(), std::string(cwd) + "\\");
}

TEST(CopyTree, FlatCopyCreatesTheFolderLevelByLevelAndSkipsSubfolders)
{
    SetupHarness p;
    p.AddFile("Files\\one.txt", 10);
    p.AddFile("Files\\two.bin", 3000);
    CreateDirectoryA((p.source + "Files\\sub").c_str(), NULL);
    p.AddFile("Files\\sub\\inner.txt", 10);
    std::string dest = p.root.Path() + "a\\b\\c\\";
    strcpy(g_destDir, dest.c_str());
    strcpy(g_sourceDir, p.source.c_str());
    g_copiedKB = 0;
    DWORD t0 = GetTickCount();
    ResetPlacement();
    EXPECT_EQ(1, CopySourceFiles());
    EXPECT_EQ(1, CommitPlacement());
    DWORD took = GetTickCount() - t0;
    EXPECT_EQ((std::vector<std::string>{ "one.txt", "two.bin" }), FilesIn(dest));
    EXPECT_GE(took, 290u);                          // 100 ms after each of the three entries
    EXPECT_EQ(2u, g_copiedKB);                        // 10 bytes count 0, 3000 bytes count 2
    // The last entry shown is the one copied last.
    EXPECT_NE(std::string::npos, std::string(g_sourceText).find(p.source + "Files\\"));
}

TEST(CopyTree, ExistingReadOnlyAndBrieflyHeldFilesAreReplacedByOrdinaryFiles)
{
    SetupHarness p;
    p.AddFile("Files\\new.txt", 50);
    p.AddFile("Files\\ro.txt", 60);
    std::string dest = p.root.Path() + "d\\";
    CreateDirectoryA(dest.c_str(), NULL);
    WriteFileBytes(dest + "new.txt", 5);
    WriteFileBytes(dest + "ro.txt", 6, FILE_ATTRIBUTE_READONLY);
    strcpy(g_destDir, dest.c_str());
    strcpy(g_sourceDir, p.source.c_str());
    // Sources from a CD are read-only: their copies must not be.
    SetFileAttributesA((p.source + "Files\\new.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    // A scanner holds one target for 300 ms: it is waited out, not left to the restart.
    HANDLE scanned = CreateFileA((dest + "new.txt").c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    std::thread release([scanned] {
        Sleep(300);
        CloseHandle(scanned);
    });
    g_restartDue = 0;
    ResetPlacement();
    EXPECT_EQ(1, CopySourceFiles());
    EXPECT_EQ(1, CommitPlacement());
    release.join();
    EXPECT_EQ(0, g_restartDue);
    auto size = [](const std::string& f) {
        WIN32_FILE_ATTRIBUTE_DATA d;
        return GetFileAttributesExA(f.c_str(), GetFileExInfoStandard, &d) ? d.nFileSizeLow : 0;
    };
    EXPECT_EQ(50u, size(dest + "new.txt"));
    EXPECT_EQ(60u, size(dest + "ro.txt"));
    for (const char* name : { "new.txt", "ro.txt" })
        EXPECT_EQ(0u, GetFileAttributesA((dest + name).c_str()) &
                          (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) << name;
    EXPECT_EQ((std::vector<std::string>{ "new.txt", "ro.txt" }), FilesIn(dest));
    SetFileAttributesA((p.source + "Files\\new.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

// Every level created gets the package's DACL on the NT family, protected
// where the system can say so (NT 4 has no SetSecurityDescriptorControl); a
// level that already existed is left as it is; the 9x family passes none.
TEST(CreateDirectoryPath, CreatesEachMissingLevelWithTheFamilysDescriptorAndLeavesAnExistingOne)
{
    const std::string dacl = "(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)";
    const struct {
        FakeOs os;
        const char* hidden;
        std::string descriptor;
    } cases[] = {
        { WIN98, nullptr, "NULL" },
        { NT4, "SetSecurityDescriptorControl", "D:" + dacl },
        { WIN2K, nullptr, "D:P" + dacl },
    };
    for (const auto& c : cases) {
        ScratchDir root;
        CreateDirectoryA((root.Path() + "x").c_str(), NULL);
        std::string deep = root.Path() + "x\\y\\z";
        SetFakeOs(c.os);
        HOOK(GetVersionExA, FakeGetVersionExA);
        HOOK(CreateDirectoryA, ObserveCreateDirectoryA);
        std::shared_ptr<void> lacking = c.hidden ? FakeProc(c.hidden, NULL) : nullptr;
        Calls().clear();
        EXPECT_EQ(1, CreateDirectoryPath(deep.c_str())) << c.descriptor;
        EXPECT_TRUE(FolderExists(deep));
        EXPECT_EQ((std::vector<std::string>{ "CreateDirectoryA(" + Quote((root.Path() + "x\\y").c_str()) + ", " + c.descriptor + ")",
                                             "CreateDirectoryA(" + Quote(deep.c_str()) + ", " + c.descriptor + ")" }),
                  CallsTo("CreateDirectoryA"));
        EXPECT_EQ(1, CreateDirectoryPath(deep.c_str()));     // exists: made current
        char cwd[MAX_PATH];
        GetCurrentDirectoryA(sizeof cwd, cwd);
        EXPECT_EQ(deep, std::string(cwd));
        EXPECT_EQ(2u, CallsTo("CreateDirectoryA").size());
        SetCurrentDirectoryA("C:\\");
    }
    EXPECT_EQ(0, CreateDirectoryPath("Q:\\nodrive\\x"));
}

}  // namespace
