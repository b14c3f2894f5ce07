// Stands in for a program that another user planted: it only leaves a file
// behind, with its command line, to show that it ran.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR cmdline, int)
{
    HANDLE f = CreateFileA("C:\\planted-ran.txt", GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    DWORD written;
    WriteFile(f, cmdline, lstrlenA(cmdline), &written, NULL);
    CloseHandle(f);
    return 0;
}
