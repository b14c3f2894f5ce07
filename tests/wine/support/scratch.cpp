#include "scratch.h"
#include <algorithm>
#include <cstdio>

static int Counter()
{
    static int n = 0;
    return ++n;
}

ScratchKey::ScratchKey(HKEY root) : root_(root)
{
    char name[128];
    snprintf(name, sizeof name, "Software\\TandrelTests\\k%lu_%d", GetCurrentProcessId(), Counter());
    path_ = name;
    RegCreateKeyExA(root_, path_.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key_, NULL);
}

ScratchKey::~ScratchKey()
{
    if (key_)
        RegCloseKey(key_);
    RegDeleteTreeA(root_, path_.c_str());
}

ScratchDir::ScratchDir()
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    char name[MAX_PATH + 64];
    snprintf(name, sizeof name, "%stt%lu_%d", temp, GetCurrentProcessId(), Counter());
    DeleteTree(name);
    CreateDirectoryA(name, NULL);
    path_ = std::string(name) + "\\";
}

ScratchDir::~ScratchDir()
{
    SetCurrentDirectoryA("C:\\");
    DeleteTree(path_.substr(0, path_.size() - 1));
}

void DeleteTree(const std::string& folder)
{
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string name = fd.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string path = folder + "\\" + name;
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                DeleteTree(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryA(folder.c_str());
}

void WriteFileBytes(const std::string& path, size_t size, DWORD attributes)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return;
    std::string data(size, 'x');
    DWORD written;
    if (size)
        WriteFile(h, data.data(), (DWORD)size, &written, NULL);
    CloseHandle(h);
    if (attributes != FILE_ATTRIBUTE_NORMAL)
        SetFileAttributesA(path.c_str(), attributes);
}

bool FileExists(const std::string& path)
{
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path)
{
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadRegString(HKEY root, const char* key, const char* value, bool* found)
{
    char buf[1024] = "";
    DWORD size = sizeof buf;
    LONG r = RegGetValueA(root, key, value, RRF_RT_REG_SZ, NULL, buf, &size);
    if (found)
        *found = (r == ERROR_SUCCESS);
    return r == ERROR_SUCCESS ? std::string(buf) : std::string();
}

DWORD ReadRegNumber(HKEY root, const char* key, const char* value)
{
    DWORD data = 0xdeadbeef, size = sizeof data;
    return RegGetValueA(root, key, value, RRF_RT_REG_DWORD, NULL, &data, &size) == ERROR_SUCCESS ? data : 0xdeadbeef;
}

std::string SystemDir()
{
    char buf[MAX_PATH];
    GetSystemDirectoryA(buf, sizeof buf);
    return buf;
}

std::string WindowsDir()
{
    char buf[MAX_PATH];
    GetWindowsDirectoryA(buf, sizeof buf);
    return buf;
}

std::vector<std::string> FilesIn(const std::string& folder)
{
    std::vector<std::string> out;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return out;
    do {
        std::string n = fd.cFileName;
        if (n != "." && n != "..")
            out.push_back(n);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    std::sort(out.begin(), out.end());
    return out;
}

void DeleteDriverServiceIfPresent()
{
    SC_HANDLE scm = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    if (!scm)
        return;
    SC_HANDLE s = OpenServiceA(scm, "VOREL12", SERVICE_ALL_ACCESS);
    if (s) {
        DeleteService(s);
        CloseServiceHandle(s);
    }
    CloseServiceHandle(scm);
}
