// A message box that shows a string resource.
#ifndef TANDREL_STRINGBOX_H
#define TANDREL_STRINGBOX_H
#include <windows.h>

#define STRING_BOX_SIZE 255

// Loads string stringId of instance offering size bytes (no more than
// STRING_BOX_SIZE) and shows it; returns MessageBoxA's answer.
int StringBox(HINSTANCE instance, UINT stringId, unsigned size, HWND owner, const char* caption, UINT flags);

#endif
