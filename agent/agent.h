// The key agent's process-wide state and the operations its window
// procedure dispatches to.
#ifndef AGENT_AGENT_H
#define AGENT_AGENT_H
#include <windows.h>

// Private messages and command numbers of the main window.
#define WM_TRAYICON         1224
#define CMD_SLEEP           200
#define CMD_POWER_OFF       201
#define CMD_HELP            202
#define CMD_ABOUT           203
#define CMD_PROPERTY        204
#define CMD_POWER           1124
#define CMD_REQUEST_104     1126
#define CMD_SHOW_ICON       1128
#define CMD_HIDE_ICON       1129
#define CMD_QUERY_ICON      1130
#define CMD_EXIT            40003
#define MENU_SEPARATOR_ID   301

// lParam of CMD_POWER
#define POWER_KEY           100
#define SLEEP_KEY           101
#define MENU_SLEEP          200
#define MENU_POWER_OFF      201

#define TRAY_ICON_ID        100
#define RESUME_TIMER_ID     101
#define RESUME_DELAY_MS     4000

// Control codes of the filter driver
#define IOCTL_NT_REGISTER   0x220000
#define IOCTL_NT_STOP       0x220004
#define IOCTL_NT_POWER_DOWN 0x220008
#define IOCTL_NT_RESUME     0x22000C
#define IOCTL_9X_REGISTER   100
#define IOCTL_9X_REQUEST    104
#define IOCTL_9X_STOP       106
#define IOCTL_9X_POWER_DOWN 107
#define IOCTL_9X_RESUME     108
#define VXDLDR_LOAD         1
#define VXDLDR_UNLOAD       2

#define READ_BUFFER_SIZE    1200

extern HINSTANCE g_instance;
extern HWND g_mainWindow;
extern LONG g_iconShown;
// Written by the main thread, read by the reader thread: volatile and
// written with an interlocked call, so neither side keeps it in a register.
extern volatile LONG g_running;
extern HANDLE g_device;
extern HANDLE g_event;
extern HANDLE g_readerThread;

// mainwindow.cpp
int RegisterAgentClass(HINSTANCE instance);
HWND CreateAgentWindow(HINSTANCE instance);
LRESULT CALLBACK AgentWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// trayicon.cpp
void ShowTrayIcon();
void HideTrayIcon();
void DeleteTrayIconForShutdown();
void TrayIconCallback(LPARAM mouseMessage);

// drivechannel.cpp
int OpenChannel(const OSVERSIONINFOA* v);
int StartNotification(const OSVERSIONINFOA* v);
void StopChannel();
void SendRequest(DWORD code);
void UnloadVxd(const char* module);
void SendRequest104();

// keyreader.cpp
DWORD WINAPI ReaderThread(LPVOID event);

// power.cpp
void PowerCommand(LPARAM action);
void PowerBroadcast(WPARAM event);
void ResumeTimer(WPARAM timerId);

// helpabout.cpp
void OpenHelp();
void OpenKeyboardProperties();
void ShowAbout();
INT_PTR CALLBACK AboutProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);

#endif
