// The programs are linked without the C runtime: this is their entry point
// and the two memory routines that the compiler may emit calls to.
#include <windows.h>
#include "cmdtail.h"

extern "C" int WINAPI WinMain(HINSTANCE instance, HINSTANCE prev, LPSTR cmdline, int show);

extern "C" void* memset(void* dst, int c, size_t n)
{
    // volatile keeps the compiler from turning this loop into a memset call.
    volatile unsigned char* d = (volatile unsigned char*)dst;
    while (n--)
        *d++ = (unsigned char)c;
    return dst;
}

extern "C" void* memcpy(void* dst, const void* src, size_t n)
{
    volatile unsigned char* d = (volatile unsigned char*)dst;
    const unsigned char* s = (const unsigned char*)src;
    while (n--)
        *d++ = *s++;
    return dst;
}

extern "C" void WinMainCRTStartup(void)
{
    LPSTR tail = (LPSTR)SkipProgramName(GetCommandLineA());
    ExitProcess((UINT)WinMain(GetModuleHandleA(NULL), NULL, tail, SW_SHOWDEFAULT));
}
