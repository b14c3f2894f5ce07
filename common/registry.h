#ifndef TANDREL_REGISTRY_H
#define TANDREL_REGISTRY_H
#include <windows.h>

// Up to four reads, each offering the whole buffer; 1 only when the value and
// its terminating NUL fit.
int ReadRegValue(HKEY key, const char* name, char* buf, DWORD size);
// Open, or create when the open fails; null when both fail. Caller closes.
HKEY OpenOrCreateKey(HKEY root, const char* path);

// Deletes the key (on the NT family only one without subkeys), logged; 1
// when it is gone now.
int DeleteRegKey(HKEY root, const char* path);

// A value of an existing key, which is opened only, never created.
int ReadKeyValue(HKEY root, const char* path, const char* name, char* buf, DWORD size);

// The installing user's Start-menu Programs folder; 0 when it cannot be read.
// The Shell Folders key is created when it is missing.
int ReadProgramsFolder(char* buf, DWORD size);

// What the Run value offers: the agent's path, quoted, in 100 bytes.
#define RUN_VALUE_READ_SIZE 100
// The folder of the agent's path in the Run value, with its closing
// backslash, where an older install's names lie; empty, and 0, without one.
int ReadRunValueFolder(char* folder, unsigned cap);

#endif
