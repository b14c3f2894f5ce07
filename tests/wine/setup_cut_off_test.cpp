// Setup ended as a kill ends it, before each change it makes in turn: what
// it leaves is listed, setup run again makes it whole, and a removal with the
// restart after it leaves nothing. So too an install that fails, cut at each
// step of taking back what it made, and a 9x upgrade whose rename fails
// after the old file was deleted, cut at each step from that delete on.
#include "setup_harness.h"
#include <climits>
#include <functional>
#include <memory>
#include "installlock.h"
#include "support/cutoff.h"

namespace {

std::string FileBytes(const std::string& path)
{
    std::string bytes;
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    char buf[4096];
    DWORD got;
    while (f != INVALID_HANDLE_VALUE && ReadFile(f, buf, sizeof buf, &got, NULL) && got)
        bytes.append(buf, got);
    if (f != INVALID_HANDLE_VALUE)
        CloseHandle(f);
    return bytes;
}

// What the end of setup's process releases.
void EndOfProcess()
{
    if (g_installLock)
        CloseHandle(g_installLock);
    g_installLock = NULL;
}

bool EndsWith(const std::string& s, const std::string& end)
{
    return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

// The change at which a fault first acted.
int g_faultAt;

BOOL Fault(DWORD error)
{
    if (!g_faultAt)
        g_faultAt = ChangesSoFar();
    SetLastError(error);
    return FALSE;
}

// The driver file cannot be copied: the install fails after the other
// files are staged.
std::shared_ptr<void> FailingDriverCopy()
{
    return ARM_HOOK(CopyFileA, [](LPCSTR from, LPCSTR to, BOOL fail) -> BOOL {
        return EndsWith(from, "Kernel\\vorel12s.sys") ? Fault(ERROR_ACCESS_DENIED) : REAL(CopyFileA)(from, to, fail);
    });
}

struct Row {
    const char* name;
    FakeOs os;
    bool upgrade;
    // A fault beneath the cut; the cuts start just before the change it
    // failed, since the ones before are those of a run without it.
    std::function<std::shared_ptr<void>()> fault;
    // What the run with the fault and no cut leaves, of "folder entry
    // uninstaller"; null: setup run again under the fault keeps the
    // installed version's bytes.
    const char* left;
};

TEST(CutOff, AnInstallOrAnUpgradeEndedAtAnyChangeIsFoundAndFinished)
{
    const Row rows[] = {
        { "first install", NT4, false, nullptr, "" },
        { "upgrade", NT4, true, nullptr, "" },
        { "failed first install", NT4, false, FailingDriverCopy, "" },
        // Held past the bound, say: the entry and its uninstaller stay.
        { "failed first install, a staged copy that cannot be deleted", NT4, false, [] {
              auto copy = FailingDriverCopy();
              auto held = ARM_HOOK(DeleteFileA, [](LPCSTR path) -> BOOL {
                  if (EndsWith(path, "vorel12a.exe.new") && GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES)
                      return Fault(ERROR_ACCESS_DENIED);
                  return REAL(DeleteFileA)(path);
              });
              return std::shared_ptr<void>(nullptr, [copy, held](void*) {});
          }, "folder entry uninstaller" },
        // A scanner has the fresh copy open, say, after the old file was deleted.
        { "9x upgrade whose rename fails after its delete", WIN98, true, [] {
              return ARM_HOOK(MoveFileA, [](LPCSTR from, LPCSTR to) -> BOOL {
                  if (EndsWith(from, ".new") && EndsWith(to, SZ_AGENT_EXE))
                      return Fault(ERROR_ACCESS_DENIED);
                  return REAL(MoveFileA)(from, to);
              });
          }, nullptr },
    };
    for (const Row& row : rows) {
        std::string before;
        auto prepare = [&](Package& p) {
            if (!row.upgrade)
                return;
            ASSERT_EQ(0, p.Silent());
            EndOfProcess();
            before = FileBytes(p.dest + SZ_AGENT_EXE);
            p.AddFile("Files\\vorel12a.exe", 3100);      // the next version
            p.AddFile("Files\\vorel12.htm", 1600);
        };
        int from = 1;
        if (row.fault) {
            Package p(row.os);
            prepare(p);
            g_faultAt = 0;
            std::shared_ptr<void> fault = row.fault();
            int code = 0;
            EXPECT_FALSE(RunCutAt(INT_MAX, [&] { code = p.Silent(); })) << row.name;
            EndOfProcess();
            EXPECT_EQ(ERROR_INSTALL_FAILURE, code) << row.name;
            ASSERT_NE(0, g_faultAt) << row.name;
            from = g_faultAt > 2 ? g_faultAt - 2 : 1;
        }
        bool cut = true;
        for (int k = from; cut; k++) {
            SCOPED_TRACE(testing::Message() << row.name << ", cut before change " << k);
            Package p(row.os);
            prepare(p);
            std::string after = FileBytes(p.source + "Files\\" + SZ_AGENT_EXE);
            {
                std::shared_ptr<void> fault = row.fault ? row.fault() : nullptr;
                cut = RunCutAt(k, [&] { p.Silent(); });
                EndOfProcess();
                SCOPED_TRACE(CutCall());
                // Setup run again under the fault first puts back a kept
                // copy whose target the cut left missing.
                if (row.fault && !row.left) {
                    EXPECT_EQ(ERROR_INSTALL_FAILURE, p.Silent());
                    EndOfProcess();
                }
            }
            SCOPED_TRACE(CutCall());
            std::string there = FootprintPresent(p.dest, "folder run service links menu driver");
            if (!there.empty())
                EXPECT_EQ("uninstall", FootprintPresent(p.dest, "uninstall")) << there << " is not listed";
            // The uninstaller's file alone, before the entry, is the one change that is not.
            if (!FootprintPresent(p.dest, "uninstall").empty())
                EXPECT_EQ("uninstaller", FootprintPresent(p.dest, "uninstaller")) << "the entry names no file";
            // No bytes of the installed version are ever lost: each target
            // holds its old or its new ones, or its kept copy the old ones.
            std::string agent = FileBytes(p.dest + SZ_AGENT_EXE);
            if (row.fault && !row.left)
                EXPECT_EQ(before, agent);
            else if (row.upgrade)
                EXPECT_TRUE(agent == before || agent == after ||
                            (agent.empty() && FileBytes(p.dest + SZ_AGENT_EXE + SZ_BACKUP_SUFFIX) == before));
            if (!cut && row.fault && row.left)
                EXPECT_EQ(row.left, FootprintPresent(p.dest, "folder entry uninstaller")) << "after the undo";
            if (!cut && !row.fault)
                break;
            int code = p.Silent();
            EndOfProcess();
            EXPECT_TRUE(code == 0 || code == ERROR_SUCCESS_REBOOT_REQUIRED) << code;
            EXPECT_INSTALLED_WHOLE(p.dest, g_neededKB);
            for (const char* name : { SZ_AGENT_EXE, SZ_HELP_FILE })
                EXPECT_EQ(FileBytes(p.source + "Files\\" + name), FileBytes(p.dest + name)) << name;
            EXPECT_EQ((DWORD)ERROR_SUCCESS_REBOOT_REQUIRED, RunBuiltProgram("vorel12u.exe", "-s"));
            CarryOutRestart();
            // The uninstaller's own file stays in the system folder, as it always has.
            EXPECT_EQ("", FootprintPresent(p.dest, "folder files entry run service links menu driver"));
            if (HasFailure())
                return;
        }
    }
}

}  // namespace
