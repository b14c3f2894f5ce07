#include "installation.h"
#include <set>
#include <objbase.h>
#include <shlobj.h>
#include <sstream>
#include <gtest/gtest.h>
#include "calllog.h"
#include "footprint.h"
#include "scratch.h"

std::string LinkFolder()
{
    return ReadRegString(HKEY_CURRENT_USER, SZ_SHELL_FOLDERS_KEY, SZ_PROGRAMS_VALUE) + "\\Tandrel";
}

std::pair<std::string, std::string> ReadLink(const std::string& lnk)
{
    std::pair<std::string, std::string> out;
    CoInitialize(NULL);
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA, (void**)&link)))
        return out;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, (void**)&file))) {
        WCHAR wide[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, lnk.c_str(), -1, wide, MAX_PATH);
        if (SUCCEEDED(file->Load(wide, STGM_READ))) {
            char path[MAX_PATH] = "", desc[MAX_PATH] = "";
            link->GetPath(path, sizeof path, NULL, SLGP_RAWPATH);
            link->GetDescription(desc, sizeof desc);
            out = { path, desc };
        }
        file->Release();
    }
    link->Release();
    return out;
}

ServiceConfig QueryDriverService()
{
    ServiceConfig c;
    SC_HANDLE scm = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    if (!scm)
        return c;
    SC_HANDLE s = OpenServiceA(scm, SZ_SERVICE, SERVICE_QUERY_CONFIG);
    if (s) {
        char buf[4096];
        QUERY_SERVICE_CONFIGA* q = (QUERY_SERVICE_CONFIGA*)buf;
        DWORD need;
        if (QueryServiceConfigA(s, q, sizeof buf, &need)) {
            c.exists = true;
            c.type = q->dwServiceType;
            c.start = q->dwStartType;
            c.error = q->dwErrorControl;
            c.path = q->lpBinaryPathName ? q->lpBinaryPathName : "";
            c.display = q->lpDisplayName ? q->lpDisplayName : "";
        }
        CloseServiceHandle(s);
    }
    CloseServiceHandle(scm);
    return c;
}

bool KeyExists(HKEY root, const std::string& path)
{
    HKEY k;
    if (RegOpenKeyA(root, path.c_str(), &k) != ERROR_SUCCESS)
        return false;
    RegCloseKey(k);
    return true;
}

static bool Present(const std::string& item, const std::string& dest)
{
    std::string links = LinkFolder();
    if (item == "files")
        return FileExists(dest + "vorel12a.exe");
    if (item == "folder")
        return FolderExists(dest);
    if (item == "links")
        return FilesIn(links).size() == 3;
    if (item == "menu")
        return FolderExists(links);
    if (item == "emptyLinks") {
        WIN32_FILE_ATTRIBUTE_DATA d;
        return GetFileAttributesExA((links + "\\Tandrel About.lnk").c_str(), GetFileExInfoStandard, &d) &&
               d.nFileSizeLow == 0;
    }
    if (item == "run")
        return !ReadRegString(HKEY_LOCAL_MACHINE, SZ_RUN_KEY, SZ_RUN_VALUE).empty();
    if (item == "entry")
        return KeyExists(HKEY_LOCAL_MACHINE, SZ_UNINSTALL_KEY_SETUP);
    if (item == "uninstall")
        return !ReadRegString(HKEY_LOCAL_MACHINE, SZ_UNINSTALL_KEY_SETUP, SZ_DISPLAY_NAME).empty();
    if (item == "service")
        return QueryDriverService().exists;
    if (item == "uninstaller")
        return FileExists(SystemDir() + "\\vorel12u.exe");
    if (item == "driver")
        return FileExists(SystemDir() + "\\Drivers\\vorel12s.sys");
    if (item == "vorel12")
        return FolderExists(SystemDir() + "\\VOREL12");
    ADD_FAILURE() << "no footprint item " << item;
    return false;
}

std::string FootprintPresent(const std::string& dest, const std::string& items)
{
    std::istringstream in(items);
    std::string item, out;
    while (in >> item)
        if (Present(item, dest))
            out += (out.empty() ? "" : " ") + item;
    return out;
}

void RemoveFootprint(const std::string& dest)
{
    SetCurrentDirectoryA("C:\\");
    if (!dest.empty())
        DeleteTree(dest.substr(0, dest.size() - 1));
    DeleteTree(LinkFolder());
    DeleteTree(SystemDir() + "\\VOREL12");
    DeleteFileA((SystemDir() + "\\vorel12u.exe").c_str());
    DeleteFileA((SystemDir() + "\\Drivers\\vorel12s.sys").c_str());
    // What a case left for a restart: the prefix is the e2e tiers' too.
    DeleteFileA((SystemDir() + "\\vorel12u.pending").c_str());
    char windows[MAX_PATH];
    if (GetWindowsDirectoryA(windows, sizeof windows))
        DeleteFileA((std::string(windows) + "\\WININIT.INI").c_str());
    HKEY session;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager", &session) == ERROR_SUCCESS) {
        RegDeleteValueA(session, "PendingFileRenameOperations");
        RegCloseKey(session);
    }
    HKEY run;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, SZ_RUN_KEY, &run) == ERROR_SUCCESS) {
        RegDeleteValueA(run, SZ_RUN_VALUE);
        RegCloseKey(run);
    }
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, SZ_UNINSTALL_KEY);
    RegDeleteTreeA(HKEY_CLASSES_ROOT, SZ_CLSID_KEY);
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, SZ_PROPSHEET_KEY);
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Enum");
    DeleteDriverServiceIfPresent();
}

void ExpectInstalledWhole(const char* file, int line, const std::string& dest, DWORD estimatedKB)
{
    SCOPED_TRACE(testing::Message() << "installed whole, asked at " << file << ":" << line);
    EXPECT_EQ((std::vector<std::string>{ "vorel12.htm", "vorel12a.exe", "vorel12v.vxd" }), FilesIn(dest));
    EXPECT_TRUE(FileExists(SystemDir() + "\\vorel12u.exe"));
    for (const char* suffix : { SZ_PENDING_SUFFIX, SZ_BACKUP_SUFFIX })
        EXPECT_FALSE(FileExists(SystemDir() + "\\vorel12u.exe" + suffix)) << suffix;
    bool found;
    // Command lines in quotes: a blank in a folder cannot start another program.
    EXPECT_EQ("\"" + dest + "vorel12a.exe\"", ReadRegString(HKEY_LOCAL_MACHINE, SZ_RUN_KEY, SZ_RUN_VALUE, &found));
    EXPECT_TRUE(found);
    const std::pair<const char*, std::string> entry[] = {
        { SZ_DISPLAY_NAME, "Tandrel (V2.01)" },
        { SZ_UNINSTALL_STRING, "\"" + SystemDir() + "\\vorel12u.exe\"" },
        { SZ_QUIET_UNINSTALL_STRING, "\"" + SystemDir() + "\\vorel12u.exe\" -s" },
        { SZ_DISPLAY_VERSION, "2.01" },
        { SZ_PUBLISHER, "Ossivane" },
        { SZ_DISPLAY_ICON, dest + "vorel12a.exe" },
        // Each value is the folder's group: the folder, then its names.
        { SZ_RECORD_LINKS, LinkFolder() + "\\*Tandrel About.lnk*Tandrel Help.lnk*Uninstall Tandrel.lnk" },
    };
    for (const auto& value : entry)
        EXPECT_EQ(value.second, ReadRegString(HKEY_LOCAL_MACHINE, SZ_UNINSTALL_KEY_SETUP, value.first)) << value.first;
    // The folder's group: each package name once, with the staged and kept
    // copies beside it that a cut-off run could leave.
    std::string files = ReadRegString(HKEY_LOCAL_MACHINE, SZ_UNINSTALL_KEY_SETUP, SZ_RECORD_FILES);
    std::vector<std::string> names;
    for (size_t at = 0, star; at <= files.size(); at = star + 1) {
        star = files.find('*', at);
        if (star == std::string::npos)
            star = files.size();
        names.push_back(files.substr(at, star - at));
    }
    EXPECT_EQ(dest, names[0]) << files;
    std::set<std::string> seen(names.begin() + 1, names.end());
    EXPECT_EQ(names.size() - 1, seen.size()) << files;
    std::set<std::string> allowed;
    for (const char* name : { "vorel12a.exe", "vorel12.htm", "vorel12v.vxd" }) {
        EXPECT_TRUE(seen.count(name)) << name << " in " << files;
        for (const char* suffix : { "", SZ_PENDING_SUFFIX, SZ_BACKUP_SUFFIX })
            allowed.insert(std::string(name) + suffix);
    }
    for (const std::string& name : seen)
        EXPECT_TRUE(allowed.count(name)) << name << " in " << files;
    for (const char* flag : { SZ_NO_MODIFY, SZ_NO_REPAIR })
        EXPECT_EQ(1u, ReadRegNumber(HKEY_LOCAL_MACHINE, SZ_UNINSTALL_KEY_SETUP, flag)) << flag;
    EXPECT_EQ(estimatedKB, ReadRegNumber(HKEY_LOCAL_MACHINE, SZ_UNINSTALL_KEY_SETUP, SZ_ESTIMATED_SIZE));
    std::string links = LinkFolder();
    EXPECT_EQ((std::vector<std::string>{ "Tandrel About.lnk", "Tandrel Help.lnk", "Uninstall Tandrel.lnk" }), FilesIn(links));
    EXPECT_EQ(std::make_pair(dest + "vorel12a.exe", std::string("Tandrel About")), ReadLink(links + "\\Tandrel About.lnk"));
    EXPECT_EQ(std::make_pair(dest + "vorel12.htm", std::string("Tandrel Help")), ReadLink(links + "\\Tandrel Help.lnk"));
    EXPECT_EQ(std::make_pair(SystemDir() + "\\vorel12u.exe", std::string("Uninstallation")),
              ReadLink(links + "\\Uninstall Tandrel.lnk"));
    EXPECT_TRUE(CallsTo("MessageBoxA").empty());
}

void ExpectNothingInstalled(const char* file, int line, const std::string& dest)
{
    SCOPED_TRACE(testing::Message() << "nothing installed, asked at " << file << ":" << line);
    EXPECT_EQ("", FootprintPresent(dest, "folder menu run uninstall service uninstaller"));
    EXPECT_FALSE(FolderExists("C:\\Tandrel"));
}
