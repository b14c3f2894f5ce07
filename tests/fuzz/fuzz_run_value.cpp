// The folder derived from a Run value and the guard before clearing it: any
// bytes, up to and past the 100-byte buffer. The folder that would be
// cleared is always that of a vorel12a.exe path, and it never resolves to a
// refused folder. The system's resolution is stood in for by a model of what
// GetFullPathNameA does (as seen under Wine), the current directory being
// C:\Users\me.
#include <algorithm>
#include <cassert>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>
#include "runfolder.h"

namespace {

const char WIN[] = "C:\\WINDOWS";
const char SYS[] = "C:\\WINDOWS\\SYSTEM32";

std::string Lower(std::string s)
{
    for (char& c : s)
        c = (char)tolower((unsigned char)c);
    return s;
}

bool Drive(const std::string& p, size_t at)
{
    return p.size() > at + 1 && isalpha((unsigned char)p[at]) && p[at + 1] == ':';
}

std::string Resolve(std::string p)
{
    for (char& c : p)
        if (c == '/')
            c = '\\';
    if (p.compare(0, 4, "\\\\?\\") == 0 || p.compare(0, 4, "\\\\.\\") == 0)
        return p;
    std::string root;
    size_t at;
    std::vector<std::string> parts;
    if (p.compare(0, 2, "\\\\") == 0) {                 // \\server\share
        size_t server = p.find('\\', 2);
        size_t share = server == std::string::npos ? server : p.find('\\', server + 1);
        root = p.substr(0, share);
        at = share == std::string::npos ? p.size() : share;
    } else if (Drive(p, 0) && p.size() > 2 && p[2] == '\\') {
        root = p.substr(0, 2);
        at = 2;
    } else if (Drive(p, 0)) {                           // drive-relative
        root = "C:\\Users\\me";
        at = 2;
    } else if (!p.empty() && p[0] == '\\') {            // the current drive's root
        root = "C:";
        at = 0;
    } else {
        root = "C:\\Users\\me";
        at = 0;
    }
    size_t end;
    for (size_t i = at; i < p.size(); i = end + 1) {
        end = p.find('\\', i);
        if (end == std::string::npos)
            end = p.size();
        std::string part = p.substr(i, end - i);
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
            continue;
        }
        if (part.back() == '.')
            part.pop_back();
        parts.push_back(part);
    }
    std::string out = root;
    for (const std::string& part : parts)
        out += "\\" + part;
    if (!p.empty() && p.back() == '\\')
        out += "\\";
    return out;
}

// Refused, written independently of the guard.
bool Refused(const std::string& resolved)
{
    std::string f = Lower(resolved);
    while (!f.empty() && f.back() == '\\')
        f.pop_back();
    if (f.size() == 2 && f[1] == ':')
        return true;
    if (f.compare(0, 2, "\\\\") == 0 && std::count(f.begin() + 2, f.end(), '\\') < 2)
        return true;
    return f == Lower(WIN) || f == Lower(SYS) || f == Lower(SYS) + "\\drivers";
}

bool FullPath(const std::string& raw)
{
    auto slash = [&](size_t i) { return i < raw.size() && (raw[i] == '\\' || raw[i] == '/'); };
    if (Drive(raw, 0))
        return slash(2);
    return slash(0) && slash(1) && raw.size() > 2 && !slash(2) && raw[2] != '.' && raw[2] != '?';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<char> value(data, data + size);
    value.push_back(0);
    char* folder = new char[100];
    if (FolderFromRunValue(value.data(), folder, 100)) {
        size_t n = strlen(folder);
        assert(n > 1 && n < 100 && folder[n - 1] == '\\');
        // Quoted as setup writes it now, or bare as older installs did.
        const char* path = value.data() + (value[0] == '"');
        assert(strncmp(folder, path, n) == 0);
        assert(Lower(path + n) == (path == value.data() ? "vorel12a.exe" : "vorel12a.exe\""));
        assert(!strchr(folder, '"'));
        std::string resolved = Resolve(folder);
        if (resolved.size() < 100 && IsFolderSafeToClear(folder, resolved.c_str(), WIN, SYS)) {
            assert(FullPath(folder));
            assert(!Refused(resolved));
            // The file functions resolve the path once more: it must stay the same folder.
            assert(Resolve(resolved) == resolved);
        }
    }
    // Any two texts, for the guard's bounds alone.
    const char* second = (const char*)memchr(value.data(), 0, value.size() - 1);
    IsFolderSafeToClear(value.data(), second ? second + 1 : "", WIN, SYS);
    char* key = new char[24];
    EnumKeyName(size ? data[0] : 0, key, 24);
    delete[] key;
    delete[] folder;
    return 0;
}
