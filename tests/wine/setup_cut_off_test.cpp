// Setup ended as a kill ends it, before each change it makes in turn: what
// it leaves is listed, setup run again makes it whole, and a removal with the
// restart after it leaves nothing.
#include "setup_harness.h"
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

TEST(CutOff, AnInstallOrAnUpgradeEndedAtAnyChangeIsFoundAndFinished)
{
    const struct {
        const char* name;
        bool upgrade;
    } rows[] = { { "first install", false }, { "upgrade", true } };
    for (const auto& row : rows) {
        bool cut = true;
        for (int k = 1; cut; k++) {
            SCOPED_TRACE(testing::Message() << row.name << ", cut before change " << k);
            Package p(NT4);
            if (row.upgrade) {
                ASSERT_EQ(0, p.Silent());
                EndOfProcess();
                p.AddFile("Files\\vorel12a.exe", 3100);      // the next version
                p.AddFile("Files\\vorel12.htm", 1600);
            }
            cut = RunCutAt(k, [&] { p.Silent(); });
            EndOfProcess();
            SCOPED_TRACE(CutCall());
            std::string there = FootprintPresent(p.dest, "folder run service links menu driver");
            if (!there.empty())
                EXPECT_EQ("uninstall", FootprintPresent(p.dest, "uninstall")) << there << " is not listed";
            // The uninstaller's file alone, before the entry, is the one change that is not.
            if (!cut)
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
