// The removal ended as a kill ends it, before each change it makes in turn:
// whatever is left is still listed, and the removal run again (twice) with
// the restart after it leaves nothing; the marker that keeps setup out stays
// until that restart.
#include "uninstall_harness.h"
#include "installlock.h"
#include "support/cutoff.h"

namespace {

TEST(CutOff, ARemovalEndedAtAnyChangeIsListedAndFinishedByTheNextRun)
{
    bool cut = true;
    for (int k = 1; cut; k++) {
        SCOPED_TRACE(testing::Message() << "cut before change " << k);
        Installed m;
        HOOK(GetVersionExA, FakeGetVersionExA);
        SetFakeOs(NT4);
        // A file in use: its deletion is left to the restart.
        HANDLE held = CreateFileA((m.dest + SZ_HELP_FILE).c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
        cut = RunCutAt(k, [] { RunUninstaller("-s"); });
        // What the end of the process releases.
        if (g_installLock)
            CloseHandle(g_installLock);
        g_installLock = NULL;
        CloseHandle(held);
        SCOPED_TRACE(CutCall());
        std::string there = FootprintPresent(m.dest, "files run service links menu driver vorel12");
        if (!there.empty())
            EXPECT_EQ("uninstall", FootprintPresent(m.dest, "uninstall")) << there << " is not listed";
        // The cut run may have left the held file to the restart, which the
        // next runs must not let a setup come before.
        for (int run = cut ? 0 : 1; run < 2; run++) {
            bool marked = FileExists(SystemDir() + SZ_REMOVAL_MARKER);
            EXPECT_EQ(ERROR_SUCCESS_REBOOT_REQUIRED, RunUninstaller("-s"));
            if (marked)
                EXPECT_TRUE(FileExists(SystemDir() + SZ_REMOVAL_MARKER)) << "run " << run;
        }
        CarryOutRestart();
        EXPECT_EQ("", FootprintPresent(m.dest, "folder files entry run service links menu driver vorel12"));
        EXPECT_FALSE(FileExists(SystemDir() + SZ_REMOVAL_MARKER));
        if (HasFailure())
            return;
    }
}

}  // namespace
