// The hidden main window: its procedure is the agent's control centre.
#include "agent.h"
#include "footprint.h"
#include "platform.h"
#include "window.h"

HINSTANCE g_instance;
HWND g_mainWindow;
volatile LONG g_running = 1;

int RegisterAgentClass(HINSTANCE instance)
{
    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = AgentWindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
    wc.lpszClassName = SZ_AGENT_CLASS;
    return RegisterClassA(&wc) != 0;
}

HWND CreateAgentWindow(HINSTANCE instance)
{
    // The start-up sequence inside WM_CREATE already needs the instance.
    g_instance = instance;
    return CreateWindowExA(0, SZ_AGENT_CLASS, "ZNVFuture", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0,
                           CW_USEDEFAULT, 0, NULL, NULL, instance, NULL);
}

static LRESULT StartUp(HWND hwnd)
{
    g_mainWindow = hwnd;
    OSVERSIONINFOA v;
    ReadVersion(&v);
    if (OpenChannel(&v) && StartNotification(&v))
        return 0;
    // The shutdown sequence runs inside DestroyWindow; creation then fails.
    DestroyWindow(hwnd);
    return 1;
}

static void ShutDown()
{
    InterlockedExchange(&g_running, 0);
    DeleteTrayIconForShutdown();
    StopChannel();
    g_instance = NULL;
    PostQuitMessage(0);
}

static LRESULT Command(HWND hwnd, WPARAM wParam, LPARAM lParam)
{
    // The whole wParam is compared: a non-zero high word matches nothing.
    switch (wParam) {
    case CMD_SLEEP:
        PostMessageA(hwnd, WM_COMMAND, CMD_POWER, MENU_SLEEP);
        break;
    case CMD_POWER_OFF:
        PostMessageA(hwnd, WM_COMMAND, CMD_POWER, MENU_POWER_OFF);
        break;
    case CMD_HELP:
        OpenHelp();
        break;
    case CMD_ABOUT:
        ShowAbout();
        break;
    case CMD_PROPERTY:
        OpenKeyboardProperties();
        break;
    case CMD_POWER:
        PowerCommand(lParam);
        break;
    case CMD_REQUEST_104:
        SendRequest104();
        break;
    case CMD_SHOW_ICON:
        ShowTrayIcon();
        break;
    case CMD_HIDE_ICON:
        HideTrayIcon();
        break;
    case CMD_QUERY_ICON:
        return g_iconShown;
    case CMD_EXIT:
        SendMessageA(hwnd, WM_DESTROY, 0, 0);
        break;
    }
    return 0;
}

LRESULT CALLBACK AgentWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE:
        return StartUp(hwnd);
    case WM_DESTROY:
        ShutDown();
        return 0;
    case WM_PAINT:
        PaintNothing(hwnd);
        return 0;
    case WM_COMMAND:
        return Command(hwnd, wParam, lParam);
    case WM_TIMER:
        ResumeTimer(wParam);
        return 0;
    case WM_POWERBROADCAST:
        PowerBroadcast(wParam);
        break;
    case WM_TRAYICON:
        TrayIconCallback(lParam);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}
