// CreateDirectoryA observed: the descriptor a program passes, since Wine
// keeps only what Unix mode bits can hold of it.
#ifndef TEST_FOLDEROBSERVER_H
#define TEST_FOLDEROBSERVER_H
#include <windows.h>

// Records "CreateDirectoryA(path, descriptor)", the descriptor's DACL in
// SDDL form or NULL without security attributes, then creates the folder.
BOOL WINAPI ObserveCreateDirectoryA(LPCSTR path, LPSECURITY_ATTRIBUTES sa);

#endif
