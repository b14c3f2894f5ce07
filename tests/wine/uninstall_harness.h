// An installation laid out by hand in the prefix, and the uninstaller run
// on an empty call log.
#ifndef TEST_UNINSTALL_HARNESS_H
#define TEST_UNINSTALL_HARNESS_H
#include <windows.h>
#include <gtest/gtest.h>
#include <string>
#include "footprint.h"
#include "uninstall.h"
#include "agentclose.h"
#include "support/calllog.h"
#include "support/fakeui.h"
#include "support/fakeversion.h"
#include "support/iathook.h"
#include "support/installation.h"
#include "support/observers.h"
#include "support/scratch.h"

struct Installed {
    ScratchDir root;
    std::string dest;              // with its trailing backslash
    std::string menu;              // Programs + "\Tandrel"
    std::string vorel12;           // system folder + "\VOREL12"
    explicit Installed(bool withService = true);
    ~Installed() { RemoveFootprint(); }
    void SetRunValue(const std::string& data);
};

int RunUninstaller(const char* cmdline = "");
// A string value, its key created when missing.
void SetValue(HKEY root, const std::string& key, const char* name, const std::string& data);

#endif
