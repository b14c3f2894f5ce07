// What a file in use leaves to the restart, against real files and a real
// WININIT.INI in a scratch Windows folder.
#include <gtest/gtest.h>
#include <fstream>
#include <functional>
#include <thread>
#include "footprint.h"
#include "restartfile.h"
#include "support/calllog.h"
#include "support/fakeui.h"
#include "support/fakeversion.h"
#include "support/iathook.h"
#include "support/scratch.h"

namespace {

// On the 9x family a name that is already 8.3 is its own short name; Wine
// would hash one that is not ASCII.
DWORD WINAPI SameShortPath(LPCSTR path, LPSTR out, DWORD size)
{
    return lstrlenA(path) < (int)size ? (DWORD)lstrlenA(lstrcpyA(out, path)) : lstrlenA(path) + 1;
}

std::vector<std::string> RenameLines(const std::string& windows)
{
    std::ifstream in(windows + "WININIT.INI", std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty() && line[0] != '[')
            lines.push_back(line);
    }
    return lines;
}

// The 9x section keeps other programs' lines in order; a line whose source
// setup deletes goes with the file, and one whose source is the short name
// of a new copy goes before that copy's own line. Names are in the OEM
// code page: 'Ü' (0xDC in 1252) is 0x9A in 437 and 850.
TEST(RenameSection, StaleLinesGoOthersStayAndNamesAreOem)
{
    ASSERT_TRUE(GetOEMCP() == 437 || GetOEMCP() == 850) << GetOEMCP();
    ScratchDir root;
    const std::string windows = root.Path() + "win\\", ansi = root.Path() + "\xDC" "bung\\";
    const std::string oem = root.Path() + "\x9A" "bung\\";
    CreateDirectoryA(windows.c_str(), NULL);
    CreateDirectoryA(ansi.c_str(), NULL);
    g_fakeDirectory = windows.substr(0, windows.size() - 1);
    SetFakeOs(WIN98);
    HOOK(GetVersionExA, FakeGetVersionExA);
    HOOK(GetWindowsDirectoryA, FakeDirectoryA);
    HOOK(GetShortPathNameA, SameShortPath);
    const std::string other = "C:\\OTHER\\X.EXE=C:\\OTHER\\X.NEW", otherDelete = "NUL=C:\\OTHER\\Y.TMP";
    const struct {
        const char* what;
        std::vector<std::string> between;   // the earlier run's lines, between the other program's two
        std::function<int()> act;
        std::vector<std::string> expected;
    } cases[] = {
        { "a deleted copy takes every line of its short name, in any case",
          { oem + "VOREL12A.EXE=" + oem + "VOREL1~1.NEW", "NUL=" + oem + "vorel1~1.new" },
          [&] { return DeletePendingCopy((ansi + "VOREL1~1.NEW").c_str()) && !FileExists(ansi + "VOREL1~1.NEW"); },
          { other, otherDelete } },
        { "a new copy's short name drops a stale line, then its own goes last",
          { oem + "VOREL12A.EXE=" + oem + "VOREL1~1.NEW" },
          [&] { return ScheduleReplace((ansi + "VOREL1~1.NEW").c_str(), (ansi + "VOREL12.HTM").c_str()); },
          { other, otherDelete, oem + "VOREL12.HTM=" + oem + "VOREL1~1.NEW" } },
    };
    for (const auto& c : cases) {
        std::ofstream ini(windows + "WININIT.INI", std::ios::binary | std::ios::trunc);
        ini << "[rename]\r\n" << other << "\r\n";
        for (const std::string& line : c.between)
            ini << line << "\r\n";
        ini << otherDelete << "\r\n";
        ini.close();
        WriteFileBytes(ansi + "VOREL1~1.NEW", 5, FILE_ATTRIBUTE_READONLY);
        EXPECT_EQ(1, c.act()) << c.what;
        EXPECT_EQ(c.expected, RenameLines(windows)) << c.what;
        SetFileAttributesA((ansi + "VOREL1~1.NEW").c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

// A file held for a moment (a scanner) is deleted once it is let go, not
// left to the restart.
TEST(DeleteOrSchedule, WaitsOutABriefHoldAndLeavesNothingToTheRestart)
{
    ScratchDir root;
    const std::string path = root.Path() + "held.exe";
    WriteFileBytes(path, 5, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    HOOK(MoveFileExA, [](LPCSTR, LPCSTR, DWORD) -> BOOL { return FALSE; });
    std::thread release([held] {
        Sleep(300);
        CloseHandle(held);
    });
    DWORD start = GetTickCount();
    int result = DeleteOrSchedule(path.c_str(), 2);
    DWORD took = GetTickCount() - start;
    release.join();
    EXPECT_EQ(1, result);
    EXPECT_FALSE(FileExists(path));
    EXPECT_GE(took, 290u);
    EXPECT_LT(took, HOLD_BOUND_MS);
}

}  // namespace
