// The uninstaller's capacities at exactly their size and one over.
#include "uninstall_harness.h"

namespace {

TEST(Boundaries, AClearedFilePathOf255CharactersIsDeletedAnd256IsNot)
{
    ScratchDir root;
    std::string folder = root.Path() + "c";             // the folder of the record, without a backslash
    CreateDirectoryA(folder.c_str(), NULL);
    // folder + "\" + name in 256 bytes: at most 255 characters.
    std::string fits = folder + "\\" + std::string(255 - folder.size() - 1, 'f');
    std::string over = folder + "\\" + std::string(256 - folder.size() - 1, 'g');
    ASSERT_EQ(255u, fits.size());
    WriteFileBytes(fits, 5);
    WriteFileBytes(over, 5);
    ASSERT_TRUE(FileExists(fits) && FileExists(over));
    ClearRecorded((fits.substr(folder.size() + 1) + "*" + over.substr(folder.size() + 1)).c_str(), folder.c_str());
    EXPECT_FALSE(FileExists(fits));
    EXPECT_TRUE(FileExists(over));              // never a truncated path
    EXPECT_TRUE(FolderExists(folder));
}

BOOL WINAPI RecordDelete(LPCSTR path)
{
    Record("DeleteFileA(%s)", path);
    return FALSE;
}

TEST(Boundaries, VorelFolderPathsOf179CharactersAreUsedAnd180AreNot)
{
    HOOK(GetSystemDirectoryA, FakeDirectoryA);
    HOOK(DeleteFileA, RecordDelete);
    // system folder + "\VOREL12\" + "vorel12s.dll" (the longest name) in 180 bytes.
    const std::string tail = "\\VOREL12\\vorel12s.dll";
    for (size_t length : { 179, 180 }) {
        Calls().clear();
        g_fakeDirectory = "C:\\" + std::string(length - tail.size() - 3, 's');
        DeleteVorel12Folder();
        EXPECT_EQ(length == 179 ? 3u : 0u, CallsTo("DeleteFileA(" + g_fakeDirectory + tail + ")").size()) << length;
        // The shorter names still fit in the longer case.
        EXPECT_EQ(3u, CallsTo("DeleteFileA(" + g_fakeDirectory + "\\VOREL12\\tandrel.htm)").size()) << length;
    }
}

TEST(Boundaries, DriverFilePathOf179CharactersIsDeletedAnd180IsNot)
{
    HOOK(GetSystemDirectoryA, FakeDirectoryA);
    HOOK(DeleteFileA, RecordDelete);
    const std::string tail = "\\Drivers\\vorel12s.sys";
    for (size_t length : { 179, 180 }) {
        Calls().clear();
        g_fakeDirectory = "C:\\" + std::string(length - tail.size() - 3, 'd');
        DeleteSystemFiles(VER_PLATFORM_WIN32_NT);
        EXPECT_EQ(length == 179 ? 2u : 0u, CallsTo("DeleteFileA(" + g_fakeDirectory + tail + ")").size()) << length;
    }
}

}  // namespace
