// Message boxes answered by the test, and other calls that would need a
// person or leave the test.
#ifndef TEST_FAKEUI_H
#define TEST_FAKEUI_H
#include <windows.h>
#include <deque>

// Answers given to MessageBoxA in order; IDOK once they run out.
void QueueAnswers(std::deque<int> answers);
// Records "MessageBoxA(owner=..., text, caption, flags=0x..)". owner is
// "NULL", "main" when it is the program's main window (read through the
// pointer given to SetMainWindowForLog at the time of the call), else "other".
int WINAPI FakeMessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT flags);
void SetMainWindowForLog(HWND* main);
const char* OwnerName(HWND h);

#endif
