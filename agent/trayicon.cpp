// The notification icon, shown only on request, and its popup menu.
#include "agent.h"
#include <shellapi.h>
#include "resource.h"
#include "text.h"

#define MENU_TEXT_SIZE 15

LONG g_iconShown;

#ifndef _WIN64
static_assert(NOTIFYICONDATAA_V1_SIZE == 88, "the first NOTIFYICONDATAA layout is 88 bytes on PE32");
#endif

static void NotifyIcon(DWORD message, HICON icon)
{
    NOTIFYICONDATAA data;
    ZeroMemory(&data, sizeof data);
    // The first layout: the only one every shell of both families accepts.
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = g_mainWindow;
    data.uID = TRAY_ICON_ID;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = WM_TRAYICON;
    data.hIcon = icon;
    lstrcpynA(data.szTip, "Tandrel", 64);
    Shell_NotifyIconA(message, &data);
    // The shell keeps its own copy of the icon.
    if (icon)
        DestroyIcon(icon);
}

void ShowTrayIcon()
{
    if (g_iconShown)
        return;
    HICON icon = (HICON)LoadImageA(g_instance, MAKEINTRESOURCEA(IDI_AGENT), IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR);
    NotifyIcon(NIM_ADD, icon);
    g_iconShown = 1;
}

void HideTrayIcon()
{
    if (!g_iconShown)
        return;
    NotifyIcon(NIM_DELETE, NULL);
    g_iconShown = 0;
}

void DeleteTrayIconForShutdown()
{
    if (g_iconShown)
        NotifyIcon(NIM_DELETE, NULL);
}

static char g_menuSleep[MENU_TEXT_SIZE];
static char g_menuPowerOff[MENU_TEXT_SIZE];
static char g_menuHelp[MENU_TEXT_SIZE];
static char g_menuAbout[MENU_TEXT_SIZE];
static char g_menuProperty[MENU_TEXT_SIZE];

static void ShowPopupMenu()
{
    HMENU menu = CreatePopupMenu();
    TextCopy(g_menuSleep, MENU_TEXT_SIZE, "&Sleep");
    TextCopy(g_menuPowerOff, MENU_TEXT_SIZE, "Power &Off");
    TextCopy(g_menuHelp, MENU_TEXT_SIZE, "&Help");
    TextCopy(g_menuAbout, MENU_TEXT_SIZE, "&AboutZNV");
    TextCopy(g_menuProperty, MENU_TEXT_SIZE, "&Property");
    // Each position lies at or past the end of the menu, so each entry is appended.
    InsertMenuA(menu, 0, MF_BYPOSITION | MF_STRING, CMD_SLEEP, g_menuSleep);
    InsertMenuA(menu, 2, MF_BYPOSITION | MF_STRING, CMD_POWER_OFF, g_menuPowerOff);
    InsertMenuA(menu, 4, MF_BYPOSITION | MF_SEPARATOR, MENU_SEPARATOR_ID, NULL);
    InsertMenuA(menu, 5, MF_BYPOSITION | MF_STRING, CMD_HELP, g_menuHelp);
    InsertMenuA(menu, 7, MF_BYPOSITION | MF_STRING, CMD_ABOUT, g_menuAbout);
    InsertMenuA(menu, 9, MF_BYPOSITION | MF_STRING, CMD_PROPERTY, g_menuProperty);
    POINT cursor;
    GetCursorPos(&cursor);
    // Without the foreground the menu would not close when the user clicks elsewhere.
    SetForegroundWindow(g_mainWindow);
    TrackPopupMenu(menu, TPM_BOTTOMALIGN | TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, g_mainWindow, NULL);
    DestroyMenu(menu);
}

void TrayIconCallback(LPARAM mouseMessage)
{
    if (mouseMessage == WM_RBUTTONUP)
        ShowPopupMenu();
}
