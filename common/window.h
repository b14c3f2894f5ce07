// Pieces every program's hidden window shares.
#ifndef TANDREL_WINDOW_H
#define TANDREL_WINDOW_H
#include <windows.h>

// Until WM_QUIT; returns its wParam.
int RunMessageLoop();
// WM_PAINT of a window that draws nothing.
void PaintNothing(HWND hwnd);

#endif
