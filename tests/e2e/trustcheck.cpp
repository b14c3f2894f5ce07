// Windows' own verdict on a signed file, as its download and policy checks
// ask for it: WinVerifyTrust with the generic Authenticode action, no UI and
// no revocation check (a throw-away CA has no revocation list).
//   trustcheck [-root CA.DER] FILE...
// -root adds the CA to the trusted roots first. Prints "0xRESULT FILE" for
// each file, 0x00000000 when Windows trusts it; exits 1 when -root fails.
#include <windows.h>
#include <wincrypt.h>
#include <wintrust.h>
#include <softpub.h>
#include <cstdio>
#include <vector>

static LONG Verify(const char* path)
{
    WCHAR wide[MAX_PATH];
    if (!MultiByteToWideChar(CP_ACP, 0, path, -1, wide, MAX_PATH))
        return (LONG)GetLastError();
    WINTRUST_FILE_INFO file = {};
    file.cbStruct = sizeof file;
    file.pcwszFilePath = wide;
    WINTRUST_DATA data = {};
    data.cbStruct = sizeof data;
    data.dwUIChoice = WTD_UI_NONE;
    data.fdwRevocationChecks = WTD_REVOKE_NONE;
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &file;
    data.dwStateAction = WTD_STATEACTION_VERIFY;
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    LONG result = WinVerifyTrust((HWND)INVALID_HANDLE_VALUE, &action, &data);
    data.dwStateAction = WTD_STATEACTION_CLOSE;
    WinVerifyTrust((HWND)INVALID_HANDLE_VALUE, &action, &data);
    return result;
}

static bool AddRoot(const char* path)
{
    FILE* f = fopen(path, "rb");
    if (!f)
        return false;
    std::vector<BYTE> der(65536);
    size_t n = fread(der.data(), 1, der.size(), f);
    fclose(f);
    return n > 0 && CertAddEncodedCertificateToSystemStoreA("Root", der.data(), (DWORD)n);
}

int main(int argc, char** argv)
{
    int i = 1;
    if (argc > 2 && lstrcmpA(argv[1], "-root") == 0) {
        if (!AddRoot(argv[2])) {
            printf("adding %s to the trusted roots failed: %lu\n", argv[2], GetLastError());
            return 1;
        }
        i = 3;
    }
    for (; i < argc; ++i)
        printf("0x%08lX %s\n", (unsigned long)Verify(argv[i]), argv[i]);
    return 0;
}
