// The installation's footprint in the prefix: one observer for every check
// of "installed whole" or "nothing left", and its removal.
#ifndef TEST_INSTALLATION_H
#define TEST_INSTALLATION_H
#include <windows.h>
#include <string>
#include <utility>

std::string LinkFolder();                 // Programs + "\Tandrel"
// The target path and description of a saved shell link; empty when it cannot be loaded.
std::pair<std::string, std::string> ReadLink(const std::string& lnk);
struct ServiceConfig {
    bool exists = false;
    DWORD type = 0, start = 0, error = 0;
    std::string path, display;
};
ServiceConfig QueryDriverService();
bool KeyExists(HKEY root, const std::string& path);

// Which of the named items of an installation into dest (with its trailing
// backslash) are in the prefix, in the order asked: "files run" when of
// "files folder run" the folder is gone. Items: files (the agent in dest),
// folder (dest), links (all three), menu (the link folder), emptyLinks (a
// link of 0 bytes), run, uninstall (the entry's name), service, uninstaller,
// driver (the NT driver file), vorel12 (the system folder's VOREL12).
std::string FootprintPresent(const std::string& dest, const std::string& items);
// Removes every item; before a case as well as after it, since a case that
// crashed or timed out leaves its footprint behind.
void RemoveFootprint(const std::string& dest = "");

// Every item a silent install into dest writes, with their values, and no
// message box; estimatedKB is the size the entry gives.
void ExpectInstalledWhole(const char* file, int line, const std::string& dest, DWORD estimatedKB);
// No item of an install into dest, nor one into the default folder.
void ExpectNothingInstalled(const char* file, int line, const std::string& dest);
#define EXPECT_INSTALLED_WHOLE(dest, kb) ExpectInstalledWhole(__FILE__, __LINE__, dest, kb)
#define EXPECT_NOTHING_INSTALLED(dest) ExpectNothingInstalled(__FILE__, __LINE__, dest)

#endif
