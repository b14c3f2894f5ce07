// GetVersionExA fake: the platform family and version a test wants to run on.
#ifndef TEST_FAKEVERSION_H
#define TEST_FAKEVERSION_H
#include <windows.h>

struct FakeOs {
    DWORD platform;
    DWORD major;
    DWORD minor;
};
inline constexpr FakeOs WIN98 = { VER_PLATFORM_WIN32_WINDOWS, 4, 10 };
inline constexpr FakeOs NT4 = { VER_PLATFORM_WIN32_NT, 4, 0 };
inline constexpr FakeOs WIN2K = { VER_PLATFORM_WIN32_NT, 5, 0 };
inline constexpr FakeOs WINXP = { VER_PLATFORM_WIN32_NT, 5, 1 };
inline constexpr FakeOs WIN2003 = { VER_PLATFORM_WIN32_NT, 5, 2 };
inline constexpr FakeOs WIN7 = { VER_PLATFORM_WIN32_NT, 6, 1 };
inline constexpr FakeOs WIN10 = { VER_PLATFORM_WIN32_NT, 10, 0 };

void SetFakeOs(FakeOs os);
// Records "GetVersionExA(size=N)" and reports the fake version; refuses
// records whose size is not that of OSVERSIONINFOA, as 9x does.
BOOL WINAPI FakeGetVersionExA(LPOSVERSIONINFOA v);

#endif
