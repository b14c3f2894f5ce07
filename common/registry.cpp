#include "registry.h"
#include "runfolder.h"
#include "footprint.h"
#include "log.h"
#include "text.h"

int ReadRegValue(HKEY key, const char* name, char* buf, DWORD size)
{
    for (int attempt = 0; attempt < 4; attempt++) {
        DWORD type;
        DWORD got = size;
        if (RegQueryValueExA(key, name, NULL, &type, (BYTE*)buf, &got) != ERROR_SUCCESS)
            continue;
        // Data stored without its NUL can fill the buffer exactly; such a
        // value does not fit and is not used.
        if (got > 0 && got <= size && buf[got - 1] == 0)
            return 1;
        if (got < size) {
            buf[got] = 0;
            return 1;
        }
        buf[0] = 0;
        return 0;
    }
    return 0;
}

HKEY OpenOrCreateKey(HKEY root, const char* path)
{
    HKEY key = NULL;
    if (RegOpenKeyA(root, path, &key) == ERROR_SUCCESS)
        return key;
    key = NULL;
    return LogResult(RegCreateKeyA(root, path, &key), "RegCreateKeyA", path, NULL) ? key : NULL;
}

int ReadKeyValue(HKEY root, const char* path, const char* name, char* buf, DWORD size)
{
    TextZero(buf, size);
    HKEY key;
    if (RegOpenKeyA(root, path, &key) != ERROR_SUCCESS)
        return 0;
    int read = ReadRegValue(key, name, buf, size);
    RegCloseKey(key);
    return read;
}

int ReadProgramsFolder(char* buf, DWORD size)
{
    HKEY key = OpenOrCreateKey(HKEY_CURRENT_USER, SZ_SHELL_FOLDERS_KEY);
    if (!key)
        return 0;
    int read = ReadRegValue(key, SZ_PROGRAMS_VALUE, buf, size);
    RegCloseKey(key);
    return read;
}

int ReadRunValueFolder(char* folder, unsigned cap)
{
    char value[RUN_VALUE_READ_SIZE];
    if (!ReadKeyValue(HKEY_LOCAL_MACHINE, SZ_RUN_KEY, SZ_RUN_VALUE, value, sizeof value))
        value[0] = 0;
    return FolderFromRunValue(value, folder, cap);
}

int DeleteRegKey(HKEY root, const char* path)
{
    LONG error = RegDeleteKeyA(root, path);
    // A key that is not there is nothing to tell.
    return error == ERROR_FILE_NOT_FOUND || LogResult(error, "RegDeleteKeyA", path, NULL);
}
