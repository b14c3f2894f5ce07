// Holds the session's desktop for a whole tier. Wine closes a desktop one
// second after its last user left and unlinks its name at once; a case that
// starts just then cannot open the desktop, dies before it prints anything or
// fails to create its windows, and every case pays for a new desktop process.
// A hidden window of ours keeps one desktop up from the first case to the last.
//   desktopholder READY_FILE   creates READY_FILE once its window exists
#include <windows.h>

static LRESULT CALLBACK HolderProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_CLOSE)
        return 0;   // only the end of the session ends it
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR cmdLine, int)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = HolderProc;
    wc.hInstance = instance;
    wc.lpszClassName = "TandrelTestsDesktopHolder";
    if (!RegisterClassA(&wc))
        return 1;
    HWND window = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 1, 1, NULL, NULL, instance, NULL);
    if (!window)
        return 1;
    HANDLE ready = CreateFileA(cmdLine, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (ready != INVALID_HANDLE_VALUE)
        CloseHandle(ready);
    // Answers what is sent to it, so that no broadcast waits on it.
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0)
        DispatchMessageA(&msg);
    return 0;
}
