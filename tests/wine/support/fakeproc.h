// GetProcAddress as a system that lacks one function, or has a fake in its
// place, for code that reaches that function only at run time.
#ifndef TEST_FAKEPROC_H
#define TEST_FAKEPROC_H
#include <windows.h>
#include <memory>

// While the result lives, GetProcAddress answers fn for name (NULL: as if no
// DLL exported it) and the real address for every other name. Several names
// may be faked at once; for one name the latest wins.
std::shared_ptr<void> FakeProc(const char* name, FARPROC fn);

#endif
