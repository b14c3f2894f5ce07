// A package folder of the test's own and setup's view of the platform; the
// footprint is removed before and after.
#ifndef TEST_SETUP_HARNESS_H
#define TEST_SETUP_HARNESS_H
#include <windows.h>
#include <gtest/gtest.h>
#include <string>
#include "footprint.h"
#include "setup.h"
#include "support/calllog.h"
#include "support/fakeui.h"
#include "support/fakeversion.h"
#include "support/iathook.h"
#include "support/installation.h"
#include "support/scratch.h"

struct SetupHarness {
    ScratchDir root;
    std::string source;     // the package folder, with a trailing backslash
    HOOK(GetVersionExA, FakeGetVersionExA);
    HOOK(MessageBoxA, FakeMessageBoxA);
    HOOK(GetModuleFileNameA, FakeGetModuleFileNameA);
    HOOK(WinExec, FakeWinExec);
    HOOK(ShellExecuteA, FakeShellExecuteA);
    HOOK(ExitWindowsEx, FakeExitWindowsEx);
    std::string dest;

    explicit SetupHarness(FakeOs os = WIN7);
    ~SetupHarness();
    // Files of the package: name under the package folder and size.
    void AddFile(const std::string& relative, size_t size);
    // Runs setup's entry with this command line, on an empty call log;
    // returns its exit code.
    int Run(const std::string& cmdline);
};

#endif
