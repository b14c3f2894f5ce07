#ifndef TANDREL_PLATFORM_H
#define TANDREL_PLATFORM_H
#include <windows.h>

// The record is always the plain OSVERSIONINFOA; 9x rejects larger ones.
inline constexpr DWORD OSVERSION_RECORD_SIZE = 148;
static_assert(sizeof(OSVERSIONINFOA) == OSVERSION_RECORD_SIZE, "OSVERSIONINFOA");

// Fills v (zeroed first); 0 when the system refuses the call.
int ReadVersion(OSVERSIONINFOA* v);
// Asked afresh on every call: nothing is cached.
bool IsNtPlatform();
// The major version of the NT family; 0 on the 9x family.
DWORD NtMajorVersion();

#endif
